#include "image/ScreenDib.h"

#include <cstring>

namespace screendib {

uint64_t PixelsSize(int32_t width, int32_t height)
{
    if (width < 0 || height < 0)
        return 0;
    // (2^31 - 1)^2 x 4 is below 2^64.
    return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * kBytesPerPixel;
}

uint64_t PackedSize(int32_t width, int32_t height)
{
    return width < 0 || height < 0 ? 0 : kPixelsAt + PixelsSize(width, height);
}

uint64_t FileSize(int32_t width, int32_t height)
{
    return width < 0 || height < 0 ? 0 : kFilePixelsAt + PixelsSize(width, height);
}

void WriteHeader(uint8_t* block, int32_t width, int32_t height)
{
    constexpr uint32_t kMasks[kMaskCount] = {kRedMask, kGreenMask, kBlueMask};
    std::memset(block, 0, kPixelsAt);
    dib::WriteU32(block, dib::kSize, kHeaderSize);
    dib::WriteI32(block, dib::kWidth, width);
    dib::WriteI32(block, dib::kHeight, height);
    dib::WriteU16(block, dib::kPlanes, 1);
    dib::WriteU16(block, dib::kBitCount, kBitCount);
    dib::WriteU32(block, dib::kCompression, dib::kBitFields);
    dib::WriteU32(block, dib::kSizeImage, static_cast<uint32_t>(PixelsSize(width, height)));
    for (uint32_t i = 0; i < kMaskCount; ++i)
        dib::WriteU32(block, kHeaderSize + 4 * i, kMasks[i]);
}

}  // namespace screendib
