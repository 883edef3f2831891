// Screen-like pictures for the benchmarks: a desktop gradient, windows with title bars and lines
// of glyph-like text, a taskbar. Compresses like a real screen, unlike noise or a flat colour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// A packed DIB as the clipboard gives a screen picture (image/ScreenDib.h).
std::vector<uint8_t> MakeScreenDib(int width, int height, uint32_t seed);

// A screen-sized DDB of the same picture placed as CF_BITMAP, so that the next CF_DIB read pays
// the system's conversion as it does after PrtSc.
bool PlaceBitmapOnClipboard(HWND window, const std::vector<uint8_t>& block);
