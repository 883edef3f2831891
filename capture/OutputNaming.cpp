#include "capture/OutputNaming.h"

#include <boost/regex.hpp>

#include <cerrno>
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

}  // namespace

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

std::wstring FormatOutputName(const std::wstring& prefix, int64_t number, int width, const std::wstring& extension)
{
    std::wstring digits = std::to_wstring(number);
    if (width > 0 && digits.size() < static_cast<size_t>(width))
        digits.insert(0, static_cast<size_t>(width) - digits.size(), L'0');
    return prefix + digits + L'.' + extension;
}

std::wstring EscapeRegex(const std::wstring& text)
{
    try {
        static const boost::wregex special(L"([\\.\\|\\*\\?\\+\\(\\)\\{\\}\\[\\]\\^\\$\\\\])");
        return boost::regex_replace(text, special, L"\\\\$1");
    } catch (const std::exception&) {
        return text;
    }
}

std::wstring BuildSearchPattern(const std::wstring& escapedPrefix, int width, const std::wstring& extension)
{
    std::wstring pattern = L"^" + escapedPrefix + L"(\\d{" + std::to_wstring(width) + L"}\\d*)\\.";
    for (wchar_t c : extension) {
        pattern += L'[';
        pattern += AsciiUpper(c);
        pattern += AsciiLower(c);
        pattern += L']';
    }
    return pattern + L"$";
}

int32_t SequenceNumberValue(const std::wstring& digits)
{
    // long is 64 bits on some platforms: clamp to the 32-bit limit that wcstol has on Windows.
    const long value = std::wcstol(digits.c_str(), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}
