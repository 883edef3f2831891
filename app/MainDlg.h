// The main dialog: the program's only window. Its handlers live in the folder of the
// subsystem they belong to; this file declares them all.
#pragma once

#include "app/DialogImpl.h"
#include "app/DialogResize.h"
#include "app/MessageLoop.h"
#include "app/SimpleMsgImpl.h"
#include "app/SingleTimerImpl.h"
#include "capture/PrintScreen.h"
#include "capture/CaptureSchedule.h"
#include "image/CaptureImage.h"
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
                 public CIdleHandler {
public:
    enum { IDD = IDD_MAINDLG };
    // Posted by the restore that ends a capture: the question comes once that restore is done.
    static constexpr UINT WM_CAPTURE_ENDED = WM_APP + 1;

    BOOL msgHandled = FALSE;

    // The capture in progress.
    int32_t prepareAttempts = 0;
    int32_t tickCount = 0;
    CCaptureImage capture;
    CPrintScreen printScreen;
    CCaptureSchedule schedule;
    // A running capture that a modal box paused; it goes on when the box closes.
    bool pausedByBox = false;

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
    // The start-number box gains the number after the last file of this capture.
    void ShowNextStartNumber();
    LRESULT OnCaptureEnded(WPARAM, LPARAM);
    bool OpenFolder(const std::wstring& path);

    // capture/DiskRoom.cpp: false, with the message shown, when the folder's disk lacks room for
    // a capture (the files to be replaced count as room) or, during one, for the next file; the
    // latter ends the capture.
    bool HasRoomToStart(const std::wstring& folder, const std::vector<std::wstring>& replaced);
    bool KeepsDiskReserve();

    // capture/CaptureTick.cpp
    void OnTimer(UINT_PTR timer);
    // A capture that a fault ends: the timer stops and the window is shown normal, so that the
    // box that says why has a visible owner.
    void StopCaptureShown();

    // capture/BoxPause.cpp: a modal box owned by the dialog stops the capture timer.
    void OnEnable(BOOL enabled);

    // ui/FolderCommands.cpp
    void OnOpenFolder();
    void OnSelectFolder();

    // app/AboutDlg.cpp
    void OnAbout();
};

}  // namespace ts
