#pragma once

#include "image/ScreenGrab.h"

#include <windows.h>

// Empties the clipboard with `owner` as its owner, so that only a picture put there afterwards
// can be found; nothing happens while another program holds the clipboard open.
void ClearClipboard(HWND owner);

// The PrtSc press of a capture. Where the key copies the screen, it is pressed (a key-down only)
// and Windows puts the picture on the clipboard. Where the key opens screen snipping, no key
// event is sent: the same picture is placed on the clipboard here, at once.
class CPrintScreen {
public:
    // Once per Start: the setting is read then, not at every press.
    void Choose();
    void Simulate(HWND owner);

private:
    void Place(HWND owner);

    bool pressKey = true;
    CScreenGrabber grabber;
};
