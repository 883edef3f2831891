// Small helpers over the messages of a combo box.
#pragma once

#include <windows.h>

#include <string>

namespace combo {

inline int Add(HWND box, const std::wstring& text)
{
    return static_cast<int>(SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

inline int Select(HWND box, int index)
{
    return static_cast<int>(SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

inline int Selection(HWND box)
{
    return static_cast<int>(SendMessageW(box, CB_GETCURSEL, 0, 0));
}

inline int Count(HWND box)
{
    return static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
}

// Sets the edit field only when the text differs, so that an unchanged box is not redrawn.
inline void ShowText(HWND box, const std::wstring& text)
{
    std::wstring current(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    current.resize(static_cast<size_t>(GetWindowTextW(box, &current[0], static_cast<int>(current.size()))));
    if (current != text)
        SetWindowTextW(box, text.c_str());
}

}  // namespace combo
