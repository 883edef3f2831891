// Decimal numbers held as 32-bit integers scaled by 10^decimals ("29.97" with 2 decimals is
// 2997). Needs no platform call.
#pragma once

#include <cstdint>
#include <string>

// An optional sign, digits, then nothing, a lone "." or "." and digits. Extra decimals are cut,
// not rounded; an integer part beyond 32 bits saturates; a value that does not fit fails.
bool ParseFixedPoint(const std::wstring& text, int decimals, int32_t& value);

// "-" for a negative value, the integer part, and the fraction with exactly `decimals` digits
// unless it is 0.
std::wstring FormatFixedPoint(int32_t value, int decimals);
