// The dialog's side of a capture: its messages go to the capture object, and the window does
// what the capture asks of it.
#include "app/MainDlg.h"
#include "ui/ComboBox.h"

namespace ts {

void CMainDlg::OnTimer(UINT_PTR /*timer*/)
{
    capture.OnTick();
}

// Every modal box owned by the dialog (messages, About, the folder picker) disables it before its
// loop runs: no capture step may run inside that loop.
void CMainDlg::OnEnable(BOOL enabled)
{
    capture.OnWindowEnabled(enabled != FALSE);
}

LRESULT CMainDlg::OnClipboardUpdate(WPARAM, LPARAM)
{
    capture.OnClipboardUpdate();
    return 0;
}

LRESULT CMainDlg::OnCaptureFiles(WPARAM, LPARAM)
{
    capture.OnFilesWritten();
    return 0;
}

LRESULT CMainDlg::OnSessionChange(WPARAM code, LPARAM)
{
    if (screenPresence.OnSessionChange(code))
        capture.OnScreenSeen(screenPresence.Seen());
    return 0;
}

LRESULT CMainDlg::OnPowerBroadcast(WPARAM event, LPARAM)
{
    if (screenPresence.OnPowerBroadcast(event))
        capture.OnScreenSeen(screenPresence.Seen());
    // TRUE: no objection to any power request.
    return TRUE;
}

// Milliseconds of the performance counter: the tick count moves in 15.6 ms steps on Windows, too
// coarse to arm a 20 ms timer from.
uint64_t CMainDlg::NowMs() const
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<uint64_t>(count.QuadPart / frequency.QuadPart * 1000
                                 + count.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart);
}

// Through the dialog's own system command, which OnSysCommand leaves to default processing.
void CMainDlg::Minimise()
{
    SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void CMainDlg::ShowNextStartNumber(int64_t next)
{
    HWND start = GetDlgItem(IDC_START_NUMBER);
    const int selection = combo::Selection(start);
    const int count = combo::Count(start);
    if (count > 2)
        ::SendMessageW(start, CB_DELETESTRING, static_cast<WPARAM>(count - 1), 0);
    combo::Add(start, std::to_wstring(next));
    if (selection == 2)
        combo::Select(start, 2);
}

}  // namespace ts
