// The 14-byte BMP file header that turns a packed DIB into a BMP file image. Needs no platform
// call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bmp {

constexpr size_t kFileHeaderSize = 14;
constexpr uint16_t kSignature = 0x4D42;  // "BM"

// Field offsets from the start of the file.
constexpr size_t kType = 0;
constexpr size_t kFileSize = 2;
constexpr size_t kReserved1 = 6;
constexpr size_t kReserved2 = 8;
constexpr size_t kOffBits = 10;

using FileHeader = uint8_t[kFileHeaderSize];

// The header for a packed DIB of blockSize bytes: "BM", the block size plus 14, zero reserved
// words, and the offset of the pixel bits behind the DIB header and its colour table. False, with
// header untouched, when the block cannot hold a 40-byte header, its biSize is below 40, its
// header and colour table run past the block, or the file would exceed 4 GiB.
bool MakeFileHeader(const uint8_t* block, size_t blockSize, FileHeader& header);
// The same header, written in front of the packed DIB that starts kFileHeaderSize bytes into
// `file`; false, with nothing written, where MakeFileHeader fails.
bool WriteFileHeader(uint8_t* file, size_t blockSize);

// Whether a BMP file image holds a whole DIB: a header of at least 40 bytes in front of
// bfOffBits, and, for uncompressed and bit-field bitmaps, every row of pixels before its end.
bool HoldsWholeBitmap(const uint8_t* file, size_t fileSize);

}  // namespace bmp
