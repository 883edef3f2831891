#pragma once

#include <windows.h>

// Discards the queued messages first..last of a window (last 0: first alone); WM_QUIT stays.
void RemovePendingMessages(HWND window, UINT first, UINT last);
