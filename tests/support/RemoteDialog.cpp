#include "tests/support/RemoteDialog.h"

#include "tests/support/ComboBox.h"

bool TypeIntoCombo(HWND dialog, int id, const std::wstring& text)
{
    // Typing drops the list selection; text set from outside does not, so drop it first.
    HWND box = GetDlgItem(dialog, id);
    HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
    if (!edit)
        return false;
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != FALSE;
}

bool SelectComboItem(HWND dialog, int id, const std::wstring& text)
{
    HWND box = GetDlgItem(dialog, id);
    for (int i = 0; i < ComboCount(box); ++i) {
        if (ComboItem(box, i) == text)
            return SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(i), 0) == i;
    }
    return false;
}

void ClickButton(HWND window, int id)
{
    PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

HWND WaitForMessageBox(const ChildProcess& program, DWORD timeoutMs)
{
    return program.WaitForWindow(
        [](HWND window) {
            const std::wstring caption = CaptionOf(window);
            return IsWindowVisible(window) && ClassOf(window) == L"#32770"
                && (caption == L"Error" || caption == L"Confirmation");
        },
        timeoutMs);
}

ShownMessage AnswerMessageBox(HWND box, int button)
{
    ShownMessage shown = ReadMessageBox(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    for (int i = 0; i < 500 && IsWindow(box); ++i)
        PumpFor(10);
    return shown;
}
