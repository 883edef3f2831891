#include "app/ResourceString.h"

#include "app/AppModule.h"

bool LoadResourceString(UINT id, std::wstring& text)
{
    constexpr size_t kLargest = 65536;
    text.assign(256, L'\0');
    for (;;) {
        int length = LoadStringW(g_module.GetResourceInstance(), id, &text[0], static_cast<int>(text.size()));
        if (length <= 0) {
            text.clear();
            return false;
        }
        if (static_cast<size_t>(length) < text.size() - 1) {
            text.resize(static_cast<size_t>(length));
            return true;
        }
        if (text.size() > kLargest) {
            text.clear();
            return false;
        }
        text.assign(text.size() * 10, L'\0');
    }
}

std::wstring ResourceString(UINT id)
{
    std::wstring text;
    LoadResourceString(id, text);
    return text;
}
