#include "capture/OutputNaming.h"

#include <climits>
#include <cwchar>

namespace {

wchar_t AsciiUpper(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsAsciiIgnoringCase(const std::wstring& text, const wchar_t* upper)
{
    size_t i = 0;
    for (; i < text.size() && upper[i]; ++i) {
        if (AsciiUpper(text[i]) != upper[i])
            return false;
    }
    return i == text.size() && !upper[i];
}

// Ten digits hold every 32-bit magnitude.
constexpr size_t kMaxNegativeDigits = 10;

}  // namespace

bool NamesADevice(const std::wstring& prefix, int width, int32_t startNumber)
{
    return width == 1 && startNumber <= 9 && (EqualsAsciiIgnoringCase(prefix, L"COM") || EqualsAsciiIgnoringCase(prefix, L"LPT"));
}

bool IsAllowedPrefix(const std::wstring& prefix)
{
    for (const wchar_t c : prefix) {
        // Control characters first: wcschr would find a NUL as the list's own terminator.
        if (c < L' ' || std::wcschr(L"\\/:*?\"<>|", c))
            return false;
    }
    return true;
}

std::wstring JoinPath(const std::wstring& left, const std::wstring& right)
{
    if (left.empty())
        return right;
    const wchar_t last = left.back();
    if (last == L'\\' || last == L'/' || last == L':')
        return left + right;
    return left + L'\\' + right;
}

std::wstring FormatSequenceNumber(int64_t number, int width)
{
    std::wstring digits = std::to_wstring(number);
    if (width > 0 && digits.size() < static_cast<size_t>(width))
        digits.insert(0, static_cast<size_t>(width) - digits.size(), L'0');
    return digits;
}

std::wstring FormatOutputName(const std::wstring& prefix, int64_t number, int width, const std::wstring& extension)
{
    return prefix + FormatSequenceNumber(number, width) + L'.' + extension;
}

std::wstring BuildSearchPattern(int width, const std::wstring& extension)
{
    std::wstring pattern = L"^(\\d{" + std::to_wstring(width) + L"}\\d*|0*-[1-9]\\d*)\\.";
    for (wchar_t c : extension) {
        pattern += L'[';
        pattern += AsciiUpper(c);
        pattern += AsciiLower(c);
        pattern += L']';
    }
    return pattern + L"$";
}

std::optional<int32_t> SequenceNumberValue(const std::wstring& text, int width)
{
    const size_t minus = text.find(L'-');
    if (minus == std::wstring::npos) {
        // long is 64 bits on some platforms: clamp to the 32-bit limit that wcstol has on Windows.
        const long value = std::wcstol(text.c_str(), nullptr, 10);
        return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
    }
    const std::wstring magnitude = text.substr(minus + 1);
    if (magnitude.empty() || magnitude.size() > kMaxNegativeDigits
        || magnitude.find_first_not_of(L"0123456789") != std::wstring::npos)
        return std::nullopt;
    const long long value = -std::wcstoll(magnitude.c_str(), nullptr, 10);
    if (value < INT32_MIN || FormatSequenceNumber(value, width) != text)
        return std::nullopt;
    return static_cast<int32_t>(value);
}
