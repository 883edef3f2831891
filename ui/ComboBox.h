// Small helpers over the messages of a combo box.
#pragma once

#include "settings/ValueHistory.h"

#include <windows.h>

#include <cstdint>
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

// The selected item's text as stored, else the edit field's text without leading and trailing
// blanks; false only when neither can be read.
bool GetComboText(HWND box, std::wstring& text);
// The selected item's text; false when nothing is selected or the text cannot be read.
bool GetComboSelection(HWND box, std::wstring& text);
// The box's text as a fixed-point number; an empty text is 0.
bool GetComboNumber(HWND box, int decimals, int32_t& value);
// Replaces the list by the history and selects its first entry, which also fills the edit field.
void RefillCombo(HWND box, const ValueHistory& history);

}  // namespace combo
