// The main dialog: the program's only window. Its handlers live in the folder of the
// subsystem they belong to; this file declares them all.
#pragma once

#include "app/DialogImpl.h"
#include "app/DialogResize.h"
#include "app/MessageLoop.h"
#include "app/SimpleMsgImpl.h"
#include "app/SingleTimerImpl.h"
#include "capture/Capture.h"
#include "capture/CaptureHost.h"
#include "capture/ScreenPresence.h"
#include "res/resource.h"
#include "settings/CaptureSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ts {

class CMainDlg : public CDialogImpl<CMainDlg, CDialogW>,
                 public CSimpleMsgImpl<CMainDlg, IDS_CAPTION_ERROR, IDS_CAPTION_CONFIRM>,
                 public CDialogResize<CMainDlg>,
                 public CSingleTimerImpl<CMainDlg, 100, 1>,
                 public CMessageFilter,
                 public CIdleHandler,
                 public ICaptureHost {
public:
    enum { IDD = IDD_MAINDLG };
    // Posted by the restore that ends a capture: the question comes once that restore is done.
    static constexpr UINT WM_CAPTURE_ENDED = WM_APP + 1;
    // Posted by the capture's file workers.
    static constexpr UINT WM_CAPTURE_FILES = WM_APP + 2;

    BOOL msgHandled = FALSE;

    CCapture capture{*this};
    CScreenPresence screenPresence;

    // Modeless, no owner; the window or null.
    HWND Create();

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnIdle() override;
    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                              DWORD mapId) override;

    // app/MainDlg.cpp
    void OnDestroy();
    void OnCancel();
    HBRUSH OnCtlColorStatic(HDC deviceContext, HWND control);
    // Captures the placement and saves g_settings; a failure is reported, never stops the caller.
    void SaveSettings();

    // app/MainDlgLayout.cpp: the layout table, and never narrower than the template, height fixed.
    static const resize::Entry* GetResizeMap();
    void OnGetMinMaxInfo(MINMAXINFO* info);

    // ui/MainDlgInit.cpp
    BOOL OnInitDialog(HWND focus, LPARAM initParam);

    // ui/InputReader.cpp: read the six boxes into a working copy; on false one message has been
    // shown and the focus is on the offending box.
    bool ReadInputs(CaptureSettings& work);
    bool ReadFolder(CaptureSettings& settings, bool showErrors);

    // capture/FileScan.cpp: the bare names of existing files the new sequence would overwrite.
    bool FindFilesToOverwrite(const CaptureSettings& settings, std::vector<std::wstring>& names);

    // capture/StartCapture.cpp
    void OnStart();
    void OnSysCommand(UINT command, POINT point);
    LRESULT OnCaptureEnded(WPARAM, LPARAM);
    bool OpenFolder(const std::wstring& path);

    // capture/DiskRoom.cpp: false, with the message shown, when the folder's disk lacks room for
    // a capture (the files to be replaced count as room).
    bool HasRoomToStart(const std::wstring& folder, const std::vector<std::wstring>& replaced);

    // capture/CaptureWindow.cpp: the capture's messages, forwarded to it, and what it asks of
    // the window.
    void OnTimer(UINT_PTR timer);
    // A modal box owned by the dialog disables it before its loop runs.
    void OnEnable(BOOL enabled);
    LRESULT OnClipboardUpdate(WPARAM, LPARAM);
    LRESULT OnCaptureFiles(WPARAM, LPARAM);
    LRESULT OnSessionChange(WPARAM code, LPARAM);
    LRESULT OnPowerBroadcast(WPARAM event, LPARAM);
    HWND Window() const override { return m_hWnd; }
    void ArmTimer(UINT ms) override { StartCaptureTimer(ms); }
    void StopTimer() override { KillCaptureTimer(); }
    uint64_t NowMs() const override;
    void Minimise() override;
    bool IsMinimised() const override { return IsIconic() != FALSE; }
    void ShowNormal() override { ShowWindow(SW_SHOWNORMAL); }
    void ShowError(const std::wstring& text) override { ShowMessage(text, MB_ICONERROR); }
    void ShowNextStartNumber(int64_t next) override;
    void PostFilesWritten() override { PostMessage(WM_CAPTURE_FILES); }

    // ui/FolderCommands.cpp
    void OnOpenFolder();
    void OnSelectFolder();

    // app/AboutDlg.cpp
    void OnAbout();
};

}  // namespace ts
