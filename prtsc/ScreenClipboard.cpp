#include "prtsc/ScreenClipboard.h"

#include "image/ClipboardGuards.h"

namespace {

// While it waits, a reader may be asking this thread to render the picture it announced before;
// serving that is what lets the reader let go of the clipboard.
void WaitServingSentMessages(DWORD milliseconds)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_SENDMESSAGE);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

bool CScreenClipboard::Announce(HWND owner)
{
    return Empty(owner, true);
}

bool CScreenClipboard::Refuse(HWND owner)
{
    return Empty(owner, false);
}

bool CScreenClipboard::Empty(HWND owner, bool announce)
{
    CClipboardOpener clipboard(owner, WaitServingSentMessages);
    // Emptying sends WM_DESTROYCLIPBOARD to the previous owner, which drops an old picture when
    // that is this window.
    if (!clipboard.opened || !EmptyClipboard())
        return false;
    if (announce)
        SetClipboardData(CF_DIB, nullptr);
    return true;
}

bool CScreenClipboard::Grab()
{
    picture.Reset(grabber.Grab() ? grabber.MakeBlock() : nullptr);
    return picture.Get() != nullptr;
}

void CScreenClipboard::OnRenderFormat(UINT format)
{
    // The reader holds the clipboard open while it waits for this.
    if (format == CF_DIB && picture.Get() && SetClipboardData(CF_DIB, picture.Get()))
        picture.Release();
}

void CScreenClipboard::OnRenderAllFormats(HWND owner)
{
    // This window is going away: leave the picture behind for whoever reads it later.
    CClipboardOpener clipboard(owner, WaitServingSentMessages);
    if (clipboard.opened && GetClipboardOwner() == owner)
        OnRenderFormat(CF_DIB);
}
