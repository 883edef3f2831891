#include "app/MainDlg.h"

#include "app/AppModule.h"
#include "app/MessageMap.h"

namespace ts {

TS_BEGIN_MSG_MAP(CMainDlg)
    TS_MSG_WM_INITDIALOG(OnInitDialog)
    TS_MSG_WM_DESTROY(OnDestroy)
    TS_MSG_WM_GETMINMAXINFO(OnGetMinMaxInfo)
    TS_MSG_WM_TIMER(1, OnTimer)
    TS_MSG_WM_ENABLE(OnEnable)
    TS_MSG_WM_SYSCOMMAND(OnSysCommand)
    TS_MESSAGE_HANDLER(WM_CAPTURE_ENDED, OnCaptureEnded)
    TS_MESSAGE_HANDLER(WM_CAPTURE_FILES, OnCaptureFiles)
    TS_MESSAGE_HANDLER(WM_CLIPBOARDUPDATE, OnClipboardUpdate)
    TS_MESSAGE_HANDLER(WM_WTSSESSION_CHANGE, OnSessionChange)
    TS_MESSAGE_HANDLER(WM_POWERBROADCAST, OnPowerBroadcast)
    TS_COMMAND_ID_HANDLER(IDOK, OnStart)
    TS_COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    TS_COMMAND_ID_HANDLER(ID_APP_ABOUT, OnAbout)
    TS_COMMAND_ID_HANDLER(ID_OPEN_FOLDER, OnOpenFolder)
    TS_COMMAND_ID_HANDLER(ID_SELECT_FOLDER, OnSelectFolder)
    TS_MSG_WM_CTLCOLORSTATIC(OnCtlColorStatic)
    TS_CHAIN_MSG_MAP(CDialogResize<CMainDlg>)
TS_END_MSG_MAP()

HWND CMainDlg::Create()
{
    return CDialogImpl::Create(nullptr);
}

BOOL CMainDlg::PreTranslateMessage(MSG* msg)
{
    return IsDialogMessage(msg);
}

BOOL CMainDlg::OnIdle()
{
    return FALSE;
}

void CMainDlg::OnDestroy()
{
    screenPresence.Unregister();
    SaveSettings();
    if (CMessageLoop* loop = g_module.GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
}

void CMainDlg::SaveSettings()
{
    g_settings.placement.Capture(m_hWnd);
    if (!g_settings.Save())
        ShowMessage(IDS_ERR_SAVE_SETTINGS, MB_ICONERROR);
}

// Esc, the close box and Close in the system menu all arrive here.
void CMainDlg::OnCancel()
{
    // The pictures already taken are still written; nothing is asked.
    capture.Close();
    DestroyWindow();
    PostQuitMessage(IDCANCEL);
}

HBRUSH CMainDlg::OnCtlColorStatic(HDC deviceContext, HWND /*control*/)
{
    SetTextColor(deviceContext, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(deviceContext, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace ts
