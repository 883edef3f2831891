// Watches for PrtSc with a low-level keyboard hook on a thread of its own, so that the hook
// answers at once however long the work it asks for takes.
#pragma once

#include <windows.h>

#include <atomic>

class CKeyboardWatch {
public:
    CKeyboardWatch() = default;
    ~CKeyboardWatch();
    CKeyboardWatch(const CKeyboardWatch&) = delete;
    CKeyboardWatch& operator=(const CKeyboardWatch&) = delete;

    // From now on each PrtSc key-down posts `message` to the thread `targetThread`; one at a
    // time: a press while one is still waiting adds nothing. True once the hook is in place.
    bool Start(DWORD targetThread, UINT message);
    // The target calls this when it takes the message, before doing the work, so that a press
    // during the work asks for it again.
    void Acknowledge() { pending = false; }
    void Stop();

private:
    static DWORD WINAPI ThreadMain(void* self);
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void OnPrintScreen();

    DWORD targetThread = 0;
    UINT message = 0;
    std::atomic<bool> pending{false};
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE ready = nullptr;
    bool hooked = false;
};
