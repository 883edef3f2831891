// Output file names and the regular expressions that find the files of a sequence.
// Needs no platform call.
#pragma once

#include <cstdint>
#include <string>

// left, a backslash unless left is empty or ends in "\", "/" or ":", then right unchanged.
std::wstring JoinPath(const std::wstring& left, const std::wstring& right);

// False when the prefix holds a character Windows refuses in a file name or reads as another
// folder (\ /) or an alternate data stream (:), or a control character.
bool IsAllowedPrefix(const std::wstring& prefix);

// prefix, the number padded on the left with "0" to at least width characters (the padding goes
// before a minus sign, a longer number is never cut), ".", extension. 64 bits: the start number
// plus the count of saved images may lie beyond the 32-bit range.
std::wstring FormatOutputName(const std::wstring& prefix, int64_t number, int width, const std::wstring& extension);

// Each of . | * ? + ( ) { } [ ] ^ $ \ preceded by a backslash.
std::wstring EscapeRegex(const std::wstring& text);

// A whole-name pattern: the escaped prefix, at least width digits (group 1), ".", then the
// extension in any ASCII letter case.
std::wstring BuildSearchPattern(const std::wstring& escapedPrefix, int width, const std::wstring& extension);

// The decimal digits of a matched name as a 32-bit number, saturating at 2147483647.
int32_t SequenceNumberValue(const std::wstring& digits);
