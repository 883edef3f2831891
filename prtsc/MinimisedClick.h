// A click into a minimised window that the desktop leaves on screen. Desktops without minimise
// (sway, tiling window managers) keep a minimised Wine window where it was, while Wine moves it
// far off screen: a click into it lands in none of Wine's windows and is dropped, no restore
// ever comes, and Tessilo, which ends a capture on the restore, records on for ever.
// A low-level mouse hook on a thread of its own sees every press Wine gets; the target thread
// gives the one minimised window the restore a taskbar posts when a press lands in no window.
#pragma once

#include "prtsc/HookThread.h"

#include <windows.h>

class CMinimisedClickWatch {
public:
    CMinimisedClickWatch() = default;
    ~CMinimisedClickWatch();
    CMinimisedClickWatch(const CMinimisedClickWatch&) = delete;
    CMinimisedClickWatch& operator=(const CMinimisedClickWatch&) = delete;

    // From now on each mouse button press posts `message` to the thread `targetThread`, with the
    // point in lParam (MAKELPARAM of screen coordinates). True once the hook is in place.
    bool Start(DWORD targetThread, UINT message);
    void Stop();

    // For the target, on each posted press: a press at `lParam` that lands in none of Wine's
    // windows restores the one visible minimised top-level window other than `own`.
    static void OnPress(LPARAM lParam, HWND own);

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

    DWORD targetThread = 0;
    UINT message = 0;
    CHookThread hook;
};
