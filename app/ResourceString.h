// Texts from the executable's string table.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

// Loads string resource id; false (and an empty text) when there is none.
bool LoadResourceString(UINT id, std::wstring& text);
// The text of string resource id; empty when there is none.
std::wstring ResourceString(UINT id);

// Formats with the platform's wide printf rules (%s is a wide string) into a buffer of the
// format's length plus 1024 characters, cutting what does not fit.
template <class... Args>
bool FormatResourceString(std::wstring& text, UINT formatId, Args... args)
{
    std::wstring format;
    if (!LoadResourceString(formatId, format))
        return false;
    std::wstring buffer(format.size() + 1024, L'\0');
    int written = _snwprintf(&buffer[0], buffer.size(), format.c_str(), args...);
    // A negative count or a full buffer means the output was cut and not terminated.
    if (written < 0 || static_cast<size_t>(written) >= buffer.size())
        written = static_cast<int>(buffer.size()) - 1;
    buffer.resize(static_cast<size_t>(written));
    text = buffer;
    return true;
}
