#include "capture/ScreenPresence.h"

#include "app/SystemLibrary.h"

#include <wtsapi32.h>

namespace {

template <class Function>
Function Find(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

void CScreenPresence::Register(HWND window)
{
    Unregister();
    // Not among Windows' known DLLs: taken from System32, never from the program's folder.
    wtsapi = LoadSystemLibrary(L"wtsapi32.dll");
    const auto registerWindow = Find<BOOL(WINAPI*)(HWND, DWORD)>(wtsapi, "WTSRegisterSessionNotification");
    if (registerWindow && registerWindow(window, NOTIFY_FOR_THIS_SESSION))
        registered = window;
}

void CScreenPresence::Unregister()
{
    const auto unregisterWindow = Find<BOOL(WINAPI*)(HWND)>(wtsapi, "WTSUnRegisterSessionNotification");
    if (registered && unregisterWindow)
        unregisterWindow(registered);
    registered = nullptr;
    if (wtsapi)
        FreeLibrary(wtsapi);
    wtsapi = nullptr;
}

bool CScreenPresence::OnSessionChange(WPARAM code)
{
    switch (code) {
    case WTS_SESSION_LOCK:
        return Change(locked, true);
    case WTS_SESSION_UNLOCK:
        return Change(locked, false);
    // A switch to another user disconnects this session from the console; a remote session
    // taken over at the console disconnects it from the remote side and connects it here.
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:
        return Change(disconnected, true);
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
        return Change(disconnected, false);
    default:
        return false;
    }
}

bool CScreenPresence::OnPowerBroadcast(WPARAM event)
{
    switch (event) {
    case PBT_APMSUSPEND:
        return Change(asleep, true);
    // Either resume: the automatic one comes always, the other only when a person woke it.
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
        return Change(asleep, false);
    default:
        return false;
    }
}

bool CScreenPresence::Change(bool& flag, bool value)
{
    const bool before = Seen();
    flag = value;
    return Seen() != before;
}
