#include "screen/PixelFormat.h"

bool IsKnownPixelFormat(uint32_t value)
{
    return value <= static_cast<uint32_t>(PixelFormat::Rgba);
}

void ConvertRowToDib(const uint8_t* source, PixelFormat format, uint8_t* target, size_t width)
{
    const bool swap = format == PixelFormat::Rgbx || format == PixelFormat::Rgba;
    const size_t red = swap ? 0 : 2;
    const size_t blue = swap ? 2 : 0;
    // Each pixel read whole before it is written: the source may be the target.
    for (size_t x = 0; x < width; ++x, source += 4, target += 4) {
        const uint8_t b = source[blue], g = source[1], r = source[red];
        target[0] = b;
        target[1] = g;
        target[2] = r;
        target[3] = 0;
    }
}
