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
    if (thread)
        return hooked;
    targetThread = target;
    message = posted;
    g_watch = this;
    answered = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (answered && ready) {
        thread = CreateThread(nullptr, 0, ThreadMain, this, 0, &threadId);
        if (thread)
            WaitForSingleObject(ready, INFINITE);
    }
    if (ready) {
        CloseHandle(ready);
        ready = nullptr;
    }
    if (!hooked)
        Stop();
    return hooked;
}

void CKeyboardWatch::Stop()
{
    if (thread) {
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
    if (answered) {
        CloseHandle(answered);
        answered = nullptr;
    }
    threadId = 0;
    hooked = false;
    if (g_watch == this)
        g_watch = nullptr;
}

DWORD WINAPI CKeyboardWatch::ThreadMain(void* self)
{
    auto* watch = static_cast<CKeyboardWatch*>(self);
    MSG msg;
    // The queue must exist before Stop can post WM_QUIT to it.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, Hook, GetModuleHandleW(nullptr), 0);
    watch->hooked = hook != nullptr;
    SetEvent(watch->ready);
    if (!hook)
        return 1;
    // Low-level hooks are called through this thread's message loop.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    UnhookWindowsHookEx(hook);
    return 0;
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
