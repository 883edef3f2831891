// The desktop animates a window that minimises; a capture's first pictures must show the screen
// without Tessilo going away.
#pragma once

#include <windows.h>

// How long a desktop that animates the minimise itself needs before the window is gone from the
// screen and from the picture its screen share sends last, in ms. Measured on GNOME: about 0.5 s,
// once still 1 s on a loaded machine.
constexpr UINT kDesktopMinimiseMs = 1500;

// Before the capture minimises `dialog`: turns the compositor's transitions of the window off
// where it can; the time the screen may still show the window after the minimise, in ms.
UINT SuppressMinimiseAnimation(HWND dialog);

// Once `dialog` is minimised: its transitions as the compositor gives them again.
void RestoreMinimiseAnimation(HWND dialog);
