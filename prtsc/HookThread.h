// A low-level input hook on a thread of its own: low-level hooks are called through the message
// loop of the thread that set them, which must never wait on the program's own work.
#pragma once

#include <windows.h>

class CHookThread {
public:
    CHookThread() = default;
    ~CHookThread() { Stop(); }
    CHookThread(const CHookThread&) = delete;
    CHookThread& operator=(const CHookThread&) = delete;

    // Sets the hook (WH_KEYBOARD_LL or WH_MOUSE_LL) on a new thread; true once it is in place.
    bool Start(int hookType, HOOKPROC procedure);
    void Stop();

private:
    static DWORD WINAPI ThreadMain(void* self);

    int hookType = 0;
    HOOKPROC procedure = nullptr;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE ready = nullptr;
    bool hooked = false;
};
