// What Windows does on PrtSc: the screen's picture on the clipboard, taken at the press.
//
// The picture is announced by delayed rendering and its bytes handed over when a reader asks for
// them. So the clipboard is held by this program only for the instant of the announcement, right
// after the press, and never for the length of a screen grab: a reader that opens the clipboard
// on a timer of its own does not find it taken.
#pragma once

#include "image/HandleOwner.h"
#include "image/ScreenGrab.h"

#include <windows.h>

class CScreenClipboard {
public:
    // On PrtSc, first: empties the clipboard with `owner` as its owner and announces a CF_DIB.
    // False when the clipboard cannot be opened.
    bool Announce(HWND owner);
    // Then: the picture a reader of the announcement gets. False when the screen cannot be
    // copied; a reader then finds no picture.
    bool Grab();
    // Or a picture taken elsewhere, owned from now on.
    void Keep(HGLOBAL block) { picture.Reset(block); }
    // Instead of both when there is no picture of the screen: only empties the clipboard, so
    // that a reader finds no picture rather than the one of an earlier press.
    bool Refuse(HWND owner);

    // The clipboard messages of the owner window.
    void OnRenderFormat(UINT format);
    void OnRenderAllFormats(HWND owner);
    void OnDestroyClipboard() { picture.Reset(); }

private:
    bool Empty(HWND owner, bool announce);

    CScreenGrabber grabber;
    // Grabbed and not yet asked for.
    CGlobalOwner picture;
};
