#include "prtsc/KeyboardWatch.h"

namespace {

// The hook procedure has no context of its own; there is only one watch.
CKeyboardWatch* g_watch = nullptr;

}  // namespace

CKeyboardWatch::~CKeyboardWatch()
{
    Stop();
}

bool CKeyboardWatch::Start(DWORD target, UINT posted)
{
    targetThread = target;
    message = posted;
    g_watch = this;
    if (!answered)
        answered = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (answered && hook.Start(WH_KEYBOARD_LL, Hook))
        return true;
    Stop();
    return false;
}

void CKeyboardWatch::Stop()
{
    hook.Stop();
    if (answered) {
        CloseHandle(answered);
        answered = nullptr;
    }
    if (g_watch == this)
        g_watch = nullptr;
}

LRESULT CALLBACK CKeyboardWatch::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN)) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (key->vkCode == VK_SNAPSHOT && g_watch)
            g_watch->OnPrintScreen();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CKeyboardWatch::OnPrintScreen()
{
    // An answer left over from a press whose wait timed out must not release this one.
    ResetEvent(answered);
    if (PostThreadMessageW(targetThread, message, 0, 0))
        WaitForSingleObject(answered, kAnswerTimeoutMs);
}
