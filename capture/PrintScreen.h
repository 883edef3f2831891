#pragma once

#include <windows.h>

// Empties the clipboard with `owner` as its owner, so that only a picture put there afterwards
// can be found; nothing happens while another program holds the clipboard open.
void ClearClipboard(HWND owner);

// Presses PrtSc (a key-down only): the system then puts a picture of the screen on the clipboard.
void SimulatePrintScreen();
