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
    for (size_t x = 0; x < width; ++x, source += 4, target += 4) {
        target[0] = source[blue];
        target[1] = source[1];
        target[2] = source[red];
        target[3] = 0;
    }
}
