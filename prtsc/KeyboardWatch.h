// Watches for PrtSc with a low-level keyboard hook on a thread of its own. The hook holds each
// PrtSc key-down only until the target has answered that the picture is announced, so that the
// program that pressed the key finds the clipboard free again once its key press returns; the
// long work (the screen grab) comes after the answer.
#pragma once

#include "prtsc/HookThread.h"

#include <windows.h>

class CKeyboardWatch {
public:
    // How long a press is held for the answer: long enough for the target to announce a picture,
    // short of the system's own limit for a hook. A press held this long was let go unanswered.
    static constexpr DWORD kAnswerTimeoutMs = 250;

    CKeyboardWatch() = default;
    ~CKeyboardWatch();
    CKeyboardWatch(const CKeyboardWatch&) = delete;
    CKeyboardWatch& operator=(const CKeyboardWatch&) = delete;

    // From now on each PrtSc key-down posts `message` to the thread `targetThread` and waits
    // for Answer, at most kAnswerTimeoutMs. True once the hook is in place.
    bool Start(DWORD targetThread, UINT message);
    // Called by the target when it has done what must happen before the key press returns.
    void Answer() { SetEvent(answered); }
    void Stop();

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void OnPrintScreen();

    DWORD targetThread = 0;
    UINT message = 0;
    HANDLE answered = nullptr;
    CHookThread hook;
};
