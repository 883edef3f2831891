// The main dialog: the program's only window. Its handlers live in the folder of the
// subsystem they belong to; this file declares them all.
#pragma once

#include "app/DialogImpl.h"
#include "app/MessageLoop.h"
#include "app/SimpleMsgImpl.h"
#include "app/SingleTimerImpl.h"
#include "res/resource.h"

namespace ts {

class CMainDlg : public CDialogImpl<CMainDlg, CDialogW>,
                 public CSimpleMsgImpl<CMainDlg, IDS_CAPTION_ERROR, IDS_CAPTION_CONFIRM>,
                 public CSingleTimerImpl<CMainDlg, 100, 1>,
                 public CMessageFilter,
                 public CIdleHandler {
public:
    enum { IDD = IDD_MAINDLG };

    BOOL msgHandled = FALSE;

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

    // ui/MainDlgInit.cpp
    BOOL OnInitDialog(HWND focus, LPARAM initParam);
};

}  // namespace ts
