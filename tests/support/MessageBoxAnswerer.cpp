#include "tests/support/MessageBoxAnswerer.h"

namespace {

MessageBoxAnswerer* current = nullptr;

BOOL CALLBACK CollectLongestStatic(HWND child, LPARAM data)
{
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (lstrcmpiW(className, L"Static") == 0) {
        int length = GetWindowTextLengthW(child);
        auto* longest = reinterpret_cast<std::wstring*>(data);
        if (length > static_cast<int>(longest->size())) {
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            text.resize(static_cast<size_t>(GetWindowTextW(child, &text[0], length + 1)));
            *longest = text;
        }
    }
    return TRUE;
}

}  // namespace

ShownMessage ReadMessageBox(HWND box)
{
    ShownMessage message;
    wchar_t caption[256] = {};
    GetWindowTextW(box, caption, 256);
    message.caption = caption;
    EnumChildWindows(box, CollectLongestStatic, reinterpret_cast<LPARAM>(&message.text));
    return message;
}

MessageBoxAnswerer::MessageBoxAnswerer(int answer) : answer(answer)
{
    current = this;
    hook = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    if (hook)
        UnhookWindowsHookEx(hook);
    current = nullptr;
}

LRESULT CALLBACK MessageBoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && current) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t className[32] = {};
        GetClassNameW(window, className, 32);
        // A message box is a dialog whose buttons carry the standard command ids.
        if (lstrcmpW(className, L"#32770") == 0 && GetDlgItem(window, current->answer)) {
            current->shown.push_back(ReadMessageBox(window));
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(current->answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, current->answer)));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
