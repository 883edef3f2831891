// What frame_benchmark.exe and clipboard_placer.exe agree on.
#pragma once

#include <windows.h>

// The placer's message-only window.
constexpr wchar_t kPlacerClass[] = L"TessiloBenchClipboardPlacer";
// Sent to it: place the benchmark picture of width LOWORD(wParam), height HIWORD(wParam) and
// seed lParam; the result is nonzero when it is on the clipboard.
constexpr UINT kPlaceMessage = WM_APP + 1;
