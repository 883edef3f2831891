// The picture of the screen as Windows' clipboard gives it after PrtSc, the layout the companion,
// the frame file reader and the disk reserve all build on: a 40-byte BITMAPINFOHEADER,
// BI_BITFIELDS with its three masks (red, green, blue), then 32-bit pixels, bottom row first. As a
// BMP file the 14-byte file header comes in front. Needs no platform call.
#pragma once

#include "image/BmpFileHeader.h"
#include "image/Dib.h"

#include <cstddef>
#include <cstdint>

namespace screendib {

constexpr uint32_t kHeaderSize = dib::kInfoHeaderSize;
constexpr uint16_t kBitCount = 32;
constexpr uint32_t kBytesPerPixel = kBitCount / 8;
constexpr uint32_t kRedMask = 0x00FF0000;
constexpr uint32_t kGreenMask = 0x0000FF00;
constexpr uint32_t kBlueMask = 0x000000FF;
constexpr uint32_t kMaskCount = 3;

// Where the pixels start: in the packed DIB, and in the BMP file (its bfOffBits).
constexpr size_t kPixelsAt = kHeaderSize + kMaskCount * 4;
constexpr size_t kFilePixelsAt = bmp::kFileHeaderSize + kPixelsAt;

// Bytes of the pixels, the packed DIB and the BMP file of a width x height screen; 0 for a
// negative side. 64 bits hold even the largest sides without a wrap.
uint64_t PixelsSize(int32_t width, int32_t height);
uint64_t PackedSize(int32_t width, int32_t height);
uint64_t FileSize(int32_t width, int32_t height);

// The header and masks, kPixelsAt bytes, in front of the pixels of a width x height screen.
// biSizeImage is a DWORD: a larger size is stored modulo 2^32.
void WriteHeader(uint8_t* block, int32_t width, int32_t height);

}  // namespace screendib
