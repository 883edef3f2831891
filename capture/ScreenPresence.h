// Whether anyone can see the session's screen: not while it is locked, switched away from or
// disconnected, nor while the machine sleeps. Windows tells a window of each change once the
// window has asked for the session's notices.
#pragma once

#include <windows.h>

class CScreenPresence {
public:
    CScreenPresence() = default;
    ~CScreenPresence() { Unregister(); }
    CScreenPresence(const CScreenPresence&) = delete;
    CScreenPresence& operator=(const CScreenPresence&) = delete;

    // The session's notices come to `window` as WM_WTSSESSION_CHANGE until Unregister, which must
    // run before the window is destroyed.
    void Register(HWND window);
    void Unregister();

    // WM_WTSSESSION_CHANGE's and WM_POWERBROADCAST's wParam; true when Seen() changed.
    bool OnSessionChange(WPARAM code);
    bool OnPowerBroadcast(WPARAM event);
    bool Seen() const { return !locked && !disconnected && !asleep; }

private:
    bool Change(bool& flag, bool value);

    HWND registered = nullptr;
    HMODULE wtsapi = nullptr;
    bool locked = false;
    bool disconnected = false;
    bool asleep = false;
};
