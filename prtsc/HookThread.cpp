#include "prtsc/HookThread.h"

bool CHookThread::Start(int type, HOOKPROC hookProcedure)
{
    if (thread)
        return hooked;
    hookType = type;
    procedure = hookProcedure;
    ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (ready) {
        thread = CreateThread(nullptr, 0, ThreadMain, this, 0, &threadId);
        if (thread)
            WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
        ready = nullptr;
    }
    if (!hooked)
        Stop();
    return hooked;
}

void CHookThread::Stop()
{
    if (thread) {
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
    threadId = 0;
    hooked = false;
}

DWORD WINAPI CHookThread::ThreadMain(void* self)
{
    auto* owner = static_cast<CHookThread*>(self);
    MSG msg;
    // The queue must exist before Stop can post WM_QUIT to it.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    HHOOK hook = SetWindowsHookExW(owner->hookType, owner->procedure, GetModuleHandleW(nullptr), 0);
    owner->hooked = hook != nullptr;
    SetEvent(owner->ready);
    if (!hook)
        return 1;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    UnhookWindowsHookEx(hook);
    return 0;
}
