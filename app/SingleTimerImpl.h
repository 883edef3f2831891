// One window timer of the dialog, with the identifier Id and the default interval Interval.
#pragma once

#include "app/PendingMessages.h"

#include <windows.h>

template <class T, UINT Interval, UINT_PTR Id>
class CSingleTimerImpl {
public:
    // 0 while no timer runs.
    UINT_PTR timerId = 0;

    // Re-arming keeps the identifier; the result is stored as SetTimer gives it.
    void StartCaptureTimer(UINT interval = Interval)
    {
        timerId = ::SetTimer(Window(), timerId ? timerId : Id, interval, nullptr);
    }

    // Also discards the ticks already queued, so that none runs after this point.
    void KillCaptureTimer()
    {
        if (!timerId)
            return;
        ::KillTimer(Window(), timerId);
        timerId = 0;
        RemovePendingMessages(Window(), WM_TIMER, 0);
    }

private:
    HWND Window() const { return static_cast<const T*>(this)->m_hWnd; }
};
