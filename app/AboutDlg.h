// The About box: icon, version line, maker line and the homepage as a link.
#pragma once

#include "app/DialogImpl.h"
#include "res/resource.h"

#include <windows.h>

#include <memory>
#include <type_traits>

namespace ts {

class CAboutDlg : public CDialogImpl<CAboutDlg, CDialogW> {
public:
    enum { IDD = IDD_ABOUTBOX };

    BOOL msgHandled = FALSE;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                              DWORD mapId) override;

    BOOL OnInitDialog(HWND focus, LPARAM initParam);
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage);
    HBRUSH OnCtlColorStatic(HDC deviceContext, HWND control);
    void OnLinkClicked();

private:
    struct FontDeleter {
        void operator()(HFONT font) const { ::DeleteObject(font); }
    };
    // The link's underlined font; it must outlive the window, which ends before this object.
    std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter> linkFont;
};

}  // namespace ts
