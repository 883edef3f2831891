#include "image/BmpFileHeader.h"

#include "image/Dib.h"

#include <cstring>

namespace bmp {

namespace {

// Bytes of the DIB header and colour table, or 0 when the block cannot hold them.
uint64_t HeaderAndColoursSize(const uint8_t* block, size_t blockSize)
{
    if (blockSize < dib::kInfoHeaderSize)
        return 0;
    const uint32_t headerSize = dib::ReadU32(block, dib::kSize);
    if (headerSize < dib::kInfoHeaderSize)
        return 0;
    const uint32_t colours = GetColorCount(dib::ReadU16(block, dib::kBitCount), dib::ReadU32(block, dib::kClrUsed),
                                           dib::ReadU32(block, dib::kCompression));
    const uint64_t size = headerSize + static_cast<uint64_t>(colours) * dib::kColorEntrySize;
    return size > blockSize ? 0 : size;
}

}  // namespace

bool MakeFileHeader(const uint8_t* block, size_t blockSize, FileHeader& header)
{
    const uint64_t dibBitsOffset = HeaderAndColoursSize(block, blockSize);
    const uint64_t total = static_cast<uint64_t>(blockSize) + kFileHeaderSize;
    if (dibBitsOffset == 0 || total > UINT32_MAX)
        return false;
    FileHeader made = {};
    dib::WriteU16(made, kType, kSignature);
    dib::WriteU32(made, kFileSize, static_cast<uint32_t>(total));
    dib::WriteU16(made, kReserved1, 0);
    dib::WriteU16(made, kReserved2, 0);
    dib::WriteU32(made, kOffBits, static_cast<uint32_t>(kFileHeaderSize + dibBitsOffset));
    std::memcpy(header, made, kFileHeaderSize);
    return true;
}

bool HoldsWholeBitmap(const uint8_t* file, size_t fileSize)
{
    if (fileSize <= kFileHeaderSize)
        return false;
    const uint8_t* info = file + kFileHeaderSize;
    const size_t blockSize = fileSize - kFileHeaderSize;
    const uint64_t headerSize = HeaderAndColoursSize(info, blockSize);
    const uint32_t offBits = dib::ReadU32(file, kOffBits);
    if (headerSize == 0 || offBits < kFileHeaderSize + dib::ReadU32(info, dib::kSize) || offBits >= fileSize)
        return false;

    const uint32_t compression = dib::ReadU32(info, dib::kCompression);
    uint64_t pixelBytes = dib::ReadU32(info, dib::kSizeImage);
    if (compression == dib::kRgb || compression == dib::kBitFields) {
        const int32_t stride = GetStride(dib::ReadI32(info, dib::kWidth), dib::ReadU16(info, dib::kBitCount));
        const int32_t height = dib::ReadI32(info, dib::kHeight);
        if (stride < 0)
            return false;
        const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
        pixelBytes = static_cast<uint64_t>(stride) * rows;
    }
    return pixelBytes <= fileSize - offBits;
}

bool WriteFileHeader(uint8_t* file, size_t blockSize)
{
    FileHeader header;
    if (!MakeFileHeader(file + kFileHeaderSize, blockSize, header))
        return false;
    std::memcpy(file, header, kFileHeaderSize);
    return true;
}

}  // namespace bmp
