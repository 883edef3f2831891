#include "prtsc/MinimisedClick.h"

#include <windowsx.h>

namespace {

// The hook procedure has no context of its own; there is only one watch.
CMinimisedClickWatch* g_watch = nullptr;

struct MinimisedWindows {
    HWND own = nullptr;
    HWND found = nullptr;
    int count = 0;
};

BOOL CALLBACK CountMinimised(HWND window, LPARAM lParam)
{
    auto* minimised = reinterpret_cast<MinimisedWindows*>(lParam);
    if (window != minimised->own && IsWindowVisible(window) && IsIconic(window)) {
        minimised->found = window;
        ++minimised->count;
    }
    return TRUE;
}

}  // namespace

CMinimisedClickWatch::~CMinimisedClickWatch()
{
    Stop();
}

bool CMinimisedClickWatch::Start(DWORD target, UINT posted)
{
    targetThread = target;
    message = posted;
    g_watch = this;
    if (hook.Start(WH_MOUSE_LL, Hook))
        return true;
    Stop();
    return false;
}

void CMinimisedClickWatch::Stop()
{
    hook.Stop();
    if (g_watch == this)
        g_watch = nullptr;
}

LRESULT CALLBACK CMinimisedClickWatch::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    // Every pointer event of the session waits for this: only passed on, never looked into here.
    if (code == HC_ACTION && g_watch
        && (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN || wParam == WM_MBUTTONDOWN)) {
        const POINT point = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt;
        PostThreadMessageW(g_watch->targetThread, g_watch->message, 0, MAKELPARAM(point.x, point.y));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CMinimisedClickWatch::OnPress(LPARAM lParam, HWND own)
{
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    HWND under = WindowFromPoint(point);
    if (under && under != GetDesktopWindow())
        return;
    MinimisedWindows minimised;
    minimised.own = own;
    EnumWindows(CountMinimised, reinterpret_cast<LPARAM>(&minimised));
    // With several, the press cannot tell which one it went into. Posted, as a taskbar does: the
    // press is still being handled.
    if (minimised.count == 1)
        PostMessageW(minimised.found, WM_SYSCOMMAND, SC_RESTORE, 0);
}
