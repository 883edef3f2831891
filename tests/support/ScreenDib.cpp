#include "tests/support/ScreenDib.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

std::string MakeScreenDib(int width, int height, bool noise)
{
    const size_t pixels = static_cast<size_t>(width) * height * 4;
    std::string block(40 + 12 + pixels, '\0');
    BITMAPINFOHEADER header = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_BITFIELDS,
                               static_cast<DWORD>(pixels), 0, 0, 0, 0};
    std::memcpy(&block[0], &header, 40);
    const uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
    std::memcpy(&block[40], masks, 12);
    uint32_t state = 0x2545F491;
    for (size_t i = 0; i < pixels; ++i) {
        state = state * 1664525 + 1013904223;
        block[52 + i] = static_cast<char>(noise ? state >> 24 : (i / 4) % 251);
    }
    return block;
}
