#include "screen/PixelFormat.h"

#include <cstring>

bool IsKnownPixelFormat(uint32_t value)
{
    return value <= static_cast<uint32_t>(PixelFormat::Rgba);
}

void ConvertRowToDib(const uint8_t* source, PixelFormat format, uint8_t* target, size_t width)
{
    const bool swap = format == PixelFormat::Rgbx || format == PixelFormat::Rgba;
    // Whole pixels as little-endian words, each read before it is written (the source may be the
    // target), so that the compiler can do many at once.
    for (size_t x = 0; x < width; ++x, source += 4, target += 4) {
        uint32_t pixel;
        std::memcpy(&pixel, source, 4);
        pixel = swap ? ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu) : pixel & 0xFFFFFFu;
        std::memcpy(target, &pixel, 4);
    }
}
