// The capture timer: prepare the capture image, minimise, then save one picture per tick.
#include "app/MainDlg.h"
#include "capture/PrintScreen.h"

namespace ts {

namespace {

constexpr int32_t kPrepareAttempts = 10;

}  // namespace

void CMainDlg::OnTimer(UINT_PTR /*timer*/)
{
    if (!capture.ready) {
        capture.Prepare(m_hWnd);
        ++prepareAttempts;
        if (capture.ready) {
            KillCaptureTimer();
            SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
            tickCount = 0;
            StartCaptureTimer(static_cast<UINT>(100000 / g_settings.refreshRate));
            return;
        }
        if (prepareAttempts < kPrepareAttempts)
            return;
        KillCaptureTimer();
        ShowMessage(IDS_ERR_PREPARE_CAPTURE, MB_ICONERROR);
        return;
    }

    // Restored some other way: wait until the window is minimised again.
    if (!IsIconic())
        return;

    // The first tick only presses PrtSc: the picture of the Start command still shows the dialog.
    if (tickCount != 0) {
        if (!capture.CopyFromClipboard()) {
            KillCaptureTimer();
            ShowWindow(SW_SHOWNORMAL);
            ShowMessage(IDS_ERR_COPY_CLIPBOARD, MB_ICONERROR);
            return;
        }
        if (!KeepsDiskReserve())
            return;
        if (!capture.Save()) {
            KillCaptureTimer();
            ShowWindow(SW_SHOWNORMAL);
            ShowMessage(IDS_ERR_SAVE_IMAGE, MB_ICONERROR);
            return;
        }
    }
    printScreen.Simulate(m_hWnd);
    ++tickCount;
}

}  // namespace ts
