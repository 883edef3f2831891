// Output file names and the regular expressions that find the files of a sequence.
// Needs no platform call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// left, a backslash unless left is empty or ends in "\", "/" or ":", then right unchanged.
std::wstring JoinPath(const std::wstring& left, const std::wstring& right);

// False when the prefix holds a character Windows refuses in a file name or reads as another
// folder (\ /) or an alternate data stream (:), or a control character.
bool IsAllowedPrefix(const std::wstring& prefix);

// True when the names of a capture from startNumber on pass COM1 to COM9 or LPT1 to LPT9: Windows
// 10 and Wine read those as ports, whatever the extension.
bool NamesADevice(const std::wstring& prefix, int width, int32_t startNumber);

// The number padded on the left with "0" to at least width characters (the padding goes before a
// minus sign, a longer number is never cut).
std::wstring FormatSequenceNumber(int64_t number, int width);

// prefix, the sequence number, ".", extension. 64 bits: the start number plus the count of saved
// images may lie beyond the 32-bit range.
std::wstring FormatOutputName(const std::wstring& prefix, int64_t number, int width, const std::wstring& extension);

// A whole-text pattern for what follows the prefix in a file of the sequence: group 1 is at least
// width digits or a negative number ("0-2"), then ".", then the extension in any ASCII letter case.
std::wstring BuildSearchPattern(int width, const std::wstring& extension);

// The number that group 1 of a matched name stands for. Digits: their value, saturating at
// 2147483647. A negative number only in the form a capture writes it at this width; any other
// form (or one below the 32-bit range) names no file of the sequence and gives nothing.
std::optional<int32_t> SequenceNumberValue(const std::wstring& text, int width);
