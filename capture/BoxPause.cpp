#include "app/MainDlg.h"

namespace ts {

// Every modal box owned by the dialog (messages, About, the folder picker) disables it before its
// loop runs: no capture step may run inside that loop. A preparing capture ends here (the dialog
// is back to idle and a Start that goes on arms it anew); a running one pauses until the box closes.
void CMainDlg::OnEnable(BOOL enabled)
{
    if (!enabled) {
        pausedByBox = capture.ready && timerId != 0;
        KillCaptureTimer();
        return;
    }
    if (pausedByBox) {
        pausedByBox = false;
        StartCaptureTimer(CaptureIntervalMs(g_settings.refreshRate));
    }
}

}  // namespace ts
