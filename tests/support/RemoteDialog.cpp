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
    const DWORD start = GetTickCount();
    do {
        for (HWND window : program.TopLevelWindows()) {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window))
                continue;
            wchar_t caption[64] = {};
            GetWindowTextW(window, caption, 64);
            if (lstrcmpW(caption, L"Error") == 0 || lstrcmpW(caption, L"Confirmation") == 0)
                return window;
        }
        PumpFor(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

ShownMessage AnswerMessageBox(HWND box, int button)
{
    ShownMessage shown = ReadMessageBox(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    for (int i = 0; i < 500 && IsWindow(box); ++i)
        PumpFor(10);
    return shown;
}
