#pragma once

#include <windows.h>

// The desktop work area, or the primary screen when the system cannot give it.
RECT GetWorkArea();

// Centres the window on the reference rectangle, then pushes it back inside the work area
// (left edge first, then right; top first, then bottom). Moves without sizing or activating.
void CenterWindowOn(HWND window, const RECT& reference);
