#include "tests/support/ComboBox.h"

int ComboCount(HWND box)
{
    return static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
}

std::wstring ComboItem(HWND box, int index)
{
    const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
}

std::vector<std::wstring> ComboItems(HWND box)
{
    std::vector<std::wstring> items;
    for (int i = 0; i < ComboCount(box); ++i)
        items.push_back(ComboItem(box, i));
    return items;
}
