#include "prtsc/ScreenClipboard.h"

namespace {

// While it waits, a reader may be asking this thread to render the picture it announced before;
// serving that is what lets the reader let go of the clipboard.
void WaitServingSentMessages(DWORD milliseconds)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_SENDMESSAGE);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

class CClipboardOpener {
public:
    explicit CClipboardOpener(HWND owner)
    {
        // A reader may hold the clipboard for the few milliseconds of one read.
        for (int attempt = 0; attempt < 20 && !opened; ++attempt) {
            opened = OpenClipboard(owner) != FALSE;
            if (!opened)
                WaitServingSentMessages(5);
        }
    }
    ~CClipboardOpener() { if (opened) CloseClipboard(); }
    CClipboardOpener(const CClipboardOpener&) = delete;
    CClipboardOpener& operator=(const CClipboardOpener&) = delete;
    bool Opened() const { return opened; }

private:
    bool opened = false;
};

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
    CClipboardOpener clipboard(owner);
    // Emptying sends WM_DESTROYCLIPBOARD to the previous owner, which drops an old picture when
    // that is this window.
    if (!clipboard.Opened() || !EmptyClipboard())
        return false;
    if (announce)
        SetClipboardData(CF_DIB, nullptr);
    return true;
}

bool CScreenClipboard::Grab()
{
    picture.Reset(grabber.Grab());
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
    CClipboardOpener clipboard(owner);
    if (clipboard.Opened() && GetClipboardOwner() == owner)
        OnRenderFormat(CF_DIB);
}
