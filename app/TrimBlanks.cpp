#include "app/TrimBlanks.h"

#include <cwctype>

namespace {

bool IsBlank(wchar_t c)
{
    return std::iswspace(static_cast<wint_t>(c)) || c == L'\r';
}

}  // namespace

std::wstring TrimBlanks(const std::wstring& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}
