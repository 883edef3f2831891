#include "prtsc/BlackPixels.h"

bool AllBlack(const std::uint32_t* pixels, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (pixels[i] & 0x00FFFFFFu)
            return false;
    }
    return true;
}
