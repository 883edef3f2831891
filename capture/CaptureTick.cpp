// The capture timer: prepare the capture image, minimise, then save one picture per tick.
#include "app/MainDlg.h"
#include "capture/MinimiseAnimation.h"
#include "capture/PrintScreen.h"

#include <algorithm>

namespace ts {

namespace {

constexpr int32_t kPrepareAttempts = 10;

// Milliseconds of the performance counter: the tick count moves in 15.6 ms steps on Windows, too
// coarse to arm a 20 ms timer from.
uint64_t NowMs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<uint64_t>(count.QuadPart / frequency.QuadPart * 1000
                                 + count.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart);
}

}  // namespace

void CMainDlg::OnTimer(UINT_PTR /*timer*/)
{
    if (!capture.ready) {
        capture.Prepare(m_hWnd);
        ++prepareAttempts;
        if (capture.ready) {
            KillCaptureTimer();
            const UINT animation = SuppressMinimiseAnimation(m_hWnd);
            SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
            tickCount = 0;
            // The first press waits until the window has left the screen.
            StartCaptureTimer(std::max(CaptureIntervalMs(g_settings.refreshRate), animation));
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
    if (tickCount == 0) {
        RestoreMinimiseAnimation(m_hWnd);
        schedule.Begin(NowMs(), CaptureIntervalMs(g_settings.refreshRate));
    } else {
        // The picture of the last press is not there yet: look again soon, press nothing.
        if (!capture.HasNewPicture()) {
            if (const uint32_t retry = schedule.Missed()) {
                StartCaptureTimer(retry);
                return;
            }
            StopCaptureShown();
            ShowMessage(IDS_ERR_NO_NEW_PICTURE, MB_ICONERROR);
            return;
        }
        if (!capture.CopyFromClipboard()) {
            StopCaptureShown();
            ShowMessage(IDS_ERR_COPY_CLIPBOARD, MB_ICONERROR);
            return;
        }
        if (!KeepsDiskReserve())
            return;
        if (!capture.Save()) {
            StopCaptureShown();
            ShowMessage(IDS_ERR_SAVE_IMAGE, MB_ICONERROR);
            return;
        }
    }
    printScreen.Simulate(m_hWnd);
    ++tickCount;
    StartCaptureTimer(schedule.Served(NowMs()));
}

void CMainDlg::StopCaptureShown()
{
    KillCaptureTimer();
    ShowWindow(SW_SHOWNORMAL);
}

}  // namespace ts
