#include "ui/FixedPoint.h"

#include <boost/regex.hpp>

#include <climits>

namespace {

int64_t PowerOfTen(int decimals)
{
    int64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    return scale;
}

// Base 10 with saturation at the 32-bit limits, as wcstol does.
int32_t SaturatingParse(const std::wstring& signAndDigits)
{
    size_t pos = 0;
    bool negative = false;
    if (pos < signAndDigits.size() && (signAndDigits[pos] == L'+' || signAndDigits[pos] == L'-'))
        negative = signAndDigits[pos++] == L'-';
    int64_t magnitude = 0;
    for (; pos < signAndDigits.size(); ++pos) {
        magnitude = magnitude * 10 + (signAndDigits[pos] - L'0');
        if (magnitude > static_cast<int64_t>(INT32_MAX) + 1)
            break;
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace

bool ParseFixedPoint(const std::wstring& text, int decimals, int32_t& value)
{
    // The arithmetic below is 64-bit; scales beyond 10^18 would overflow it.
    if (decimals < 0 || decimals > 18)
        return false;
    boost::wsmatch match;
    try {
        static const boost::wregex grammar(L"^((?:\\+?|-?)[0-9]+)(?:\\.?|\\.([0-9]+))$");
        if (!boost::regex_search(text, match, grammar))
            return false;
    } catch (const std::exception&) {
        return false;
    }

    const std::wstring integerText = match[1].str();
    std::wstring fraction = match[2].matched ? match[2].str() : std::wstring();
    fraction.resize(static_cast<size_t>(decimals), L'0');

    const int64_t integer = SaturatingParse(integerText);
    int64_t fractionValue = 0;
    for (wchar_t digit : fraction)
        fractionValue = fractionValue * 10 + (digit - L'0');

    const int64_t scale = PowerOfTen(decimals);
    if (integer > 0) {
        const int64_t quotient = INT32_MAX / scale;
        if (integer > quotient || (integer == quotient && fractionValue > INT32_MAX % scale))
            return false;
    } else {
        const int64_t quotient = INT32_MIN / scale;
        const int64_t remainder = -(static_cast<int64_t>(INT32_MIN) % scale);
        if (integer < quotient || (integer == quotient && fractionValue > remainder))
            return false;
    }

    const bool negative = integerText[0] == L'-';
    // The checks above keep the result within 32 bits.
    value = static_cast<int32_t>(negative ? integer * scale - fractionValue : integer * scale + fractionValue);
    return true;
}

std::wstring FormatFixedPoint(int32_t value, int decimals)
{
    const int64_t scale = PowerOfTen(decimals);
    const int64_t wide = value;
    const int64_t integer = wide / scale;
    const int64_t fraction = wide % scale < 0 ? -(wide % scale) : wide % scale;

    std::wstring text = value < 0 ? L"-" : L"";
    text += std::to_wstring(integer < 0 ? -integer : integer);
    if (decimals > 0 && fraction != 0) {
        std::wstring digits = std::to_wstring(fraction);
        text += L'.';
        text.append(static_cast<size_t>(decimals) - digits.size(), L'0');
        text += digits;
    }
    return text;
}
