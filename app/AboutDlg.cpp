#include "app/AboutDlg.h"

#include "app/TrimBlanks.h"
#include "app/MainDlg.h"
#include "app/MessageMap.h"
#include "app/WindowCentering.h"

#include <shellapi.h>

#include <string>

namespace ts {

namespace {

constexpr COLORREF kLinkColor = RGB(0, 0, 255);

}  // namespace

TS_BEGIN_MSG_MAP(CAboutDlg)
    TS_MSG_WM_INITDIALOG(OnInitDialog)
    TS_MESSAGE_HANDLER(WM_SETCURSOR, [this](WPARAM w, LPARAM l) -> LRESULT {
        return OnSetCursor(reinterpret_cast<HWND>(w), LOWORD(l), HIWORD(l));
    })
    TS_MSG_WM_CTLCOLORSTATIC(OnCtlColorStatic)
    // Every notification of the link opens it: the handler looks at the id only.
    TS_COMMAND_ID_HANDLER(IDC_HOMEPAGE_LINK, OnLinkClicked)
    if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(LOWORD(wParam));
        lResult = 0;
        return TRUE;
    }
TS_END_MSG_MAP()

BOOL CAboutDlg::OnInitDialog(HWND /*focus*/, LPARAM /*initParam*/)
{
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    RECT reference = GetWorkArea();
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &reference);
    CenterWindowOn(m_hWnd, reference);

    LOGFONTW description = {};
    auto dialogFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (dialogFont && ::GetObjectW(dialogFont, sizeof(description), &description)) {
        description.lfUnderline = TRUE;
        linkFont.reset(::CreateFontIndirectW(&description));
    }
    // Without the underlined font the link draws with the system font; the box still works.
    SendDlgItemMessage(IDC_HOMEPAGE_LINK, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont.get()), TRUE);
    return TRUE;
}

BOOL CAboutDlg::OnSetCursor(HWND window, UINT /*hitTest*/, UINT /*mouseMessage*/)
{
    if (window != GetDlgItem(IDC_HOMEPAGE_LINK)) {
        msgHandled = FALSE;
        return FALSE;
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}

HBRUSH CAboutDlg::OnCtlColorStatic(HDC deviceContext, HWND control)
{
    ::SetTextColor(deviceContext, control == GetDlgItem(IDC_HOMEPAGE_LINK) ? kLinkColor : ::GetSysColor(COLOR_BTNTEXT));
    ::SetBkColor(deviceContext, ::GetSysColor(COLOR_BTNFACE));
    return ::GetSysColorBrush(COLOR_BTNFACE);
}

// Opens the address exactly as the link shows it. A failure only beeps and the box stays open:
// the shell's own error box is turned off.
void CAboutDlg::OnLinkClicked()
{
    const std::wstring address = TrimBlanks(CWindowW::GetText(GetDlgItem(IDC_HOMEPAGE_LINK)));
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = address.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info))
        ::MessageBeep(0);
}

void CMainDlg::OnAbout()
{
    CAboutDlg about;
    about.DoModal(::GetActiveWindow(), 0);
}

}  // namespace ts
