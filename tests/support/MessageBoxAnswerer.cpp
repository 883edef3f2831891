#include "tests/support/MessageBoxAnswerer.h"

#include "res/resource.h"

namespace {

MessageBoxAnswerer* current = nullptr;

// Message boxes are owned dialogs with only static texts and buttons; this keeps the hook away
// from the main dialog (which has an IDOK button too), the About box and the folder picker.
bool IsMessageBox(HWND window)
{
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    return lstrcmpW(className, L"#32770") == 0 && GetWindow(window, GW_OWNER)
        && !FindWindowExW(window, nullptr, L"ComboBox", nullptr)
        && !FindWindowExW(window, nullptr, L"SysTreeView32", nullptr)
        && !GetDlgItem(window, IDC_HOMEPAGE_LINK);
}

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

::testing::AssertionResult MessageBoxAnswerer::ShowedOnlyTheError(const std::wstring& text) const
{
    if (shown.size() != 1)
        return ::testing::AssertionFailure() << shown.size() << " boxes shown";
    if (shown[0].caption != L"Error" || shown[0].text != text)
        return ::testing::AssertionFailure()
            << shown[0].caption << ": " << shown[0].text << " instead of Error: " << text;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult IsEndQuestion(const std::wstring& text)
{
    const std::wstring question = L"Capture is ended. Open the output folder?";
    if (text == question)
        return ::testing::AssertionSuccess();
    const std::wstring tail = L"\n\n" + question;
    const bool afterANote = text.size() > tail.size()
        && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    if (afterANote && text.find(L" per second asked: this computer could not keep that rate") < text.size() - tail.size())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not the question at a capture's end: " << text;
}

LRESULT CALLBACK MessageBoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && current) {
        HWND window = reinterpret_cast<HWND>(wParam);
        // A box without the chosen answer (an error box while questions are answered Yes) gets its OK.
        int button = GetDlgItem(window, current->answer) ? current->answer : IDOK;
        if (IsMessageBox(window) && GetDlgItem(window, button)) {
            current->shown.push_back(ReadMessageBox(window));
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
