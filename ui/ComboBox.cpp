#include "ui/ComboBox.h"

#include "app/TrimBlanks.h"
#include "ui/FixedPoint.h"

namespace combo {

namespace {

bool ItemText(HWND box, int index, std::wstring& text)
{
    const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 0)
        return false;
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item[0]));
    if (copied == CB_ERR || copied < 0 || copied > length)
        return false;
    item.resize(static_cast<size_t>(copied));
    text = item;
    return true;
}

bool EditText(HWND box, std::wstring& text)
{
    const int length = GetWindowTextLengthW(box);
    std::wstring edit(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(box, &edit[0], length + 1);
    if (copied < 0 || (copied == 0 && length > 0))
        return false;
    edit.resize(static_cast<size_t>(copied));
    text = edit;
    return true;
}

}  // namespace

bool GetComboText(HWND box, std::wstring& text)
{
    if (!IsWindow(box))
        return false;
    const int selected = Selection(box);
    if (selected >= 0 && ItemText(box, selected, text))
        return true;
    std::wstring edit;
    if (!EditText(box, edit))
        return false;
    text = TrimBlanks(edit);
    return true;
}

bool GetComboSelection(HWND box, std::wstring& text)
{
    if (!IsWindow(box))
        return false;
    const int selected = Selection(box);
    return selected >= 0 && ItemText(box, selected, text);
}

bool GetComboNumber(HWND box, int decimals, int32_t& value)
{
    std::wstring text;
    if (!GetComboText(box, text))
        return false;
    if (text.empty()) {
        value = 0;
        return true;
    }
    return ParseFixedPoint(text, decimals, value);
}

void RefillCombo(HWND box, const ValueHistory& history)
{
    for (int count = Count(box); count > 0; count = Count(box)) {
        if (SendMessageW(box, CB_DELETESTRING, static_cast<WPARAM>(count - 1), 0) == CB_ERR)
            break;
    }
    for (const std::wstring& entry : history)
        Add(box, entry);
    Select(box, 0);
}

}  // namespace combo
