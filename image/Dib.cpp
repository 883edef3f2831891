#include "image/Dib.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace dib {

uint16_t ReadU16(const void* block, size_t offset)
{
    uint8_t bytes[2];
    std::memcpy(bytes, static_cast<const uint8_t*>(block) + offset, sizeof bytes);
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t ReadU32(const void* block, size_t offset)
{
    uint8_t bytes[4];
    std::memcpy(bytes, static_cast<const uint8_t*>(block) + offset, sizeof bytes);
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

int32_t ReadI32(const void* block, size_t offset)
{
    const uint32_t value = ReadU32(block, offset);
    int32_t result;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

void WriteU16(void* block, size_t offset, uint16_t value)
{
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    std::memcpy(static_cast<uint8_t*>(block) + offset, bytes, sizeof bytes);
}

void WriteU32(void* block, size_t offset, uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    std::memcpy(static_cast<uint8_t*>(block) + offset, bytes, sizeof bytes);
}

void WriteI32(void* block, size_t offset, int32_t value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    WriteU32(block, offset, bits);
}

}  // namespace dib

uint32_t GetColorCount(uint32_t bitCount, uint32_t clrUsed, uint32_t compression)
{
    if (compression == dib::kBitFields)
        return 3;
    if (bitCount > 8)
        return 0;
    if (clrUsed != 0)
        return clrUsed;
    return 1u << bitCount;
}

int32_t GetStride(int32_t width, uint32_t bitCount)
{
    if (width < 0)
        return -1;
    int64_t stride = (static_cast<int64_t>(width) * bitCount + 7) / 8;
    stride = (stride + 3) / 4 * 4;
    return stride > INT32_MAX ? -1 : static_cast<int32_t>(stride);
}

void FillGrayPalette(uint8_t* header)
{
    const uint32_t count =
        GetColorCount(dib::ReadU16(header, dib::kBitCount), dib::ReadU32(header, dib::kClrUsed),
                      dib::ReadU32(header, dib::kCompression));
    uint8_t* table = header + dib::ReadU32(header, dib::kSize);
    for (uint32_t i = 0; i < count; ++i) {
        // A single entry would divide by zero: it is black.
        const auto level = static_cast<uint8_t>(count < 2 ? 0 : static_cast<uint64_t>(i) * 255 / (count - 1));
        uint8_t* entry = table + static_cast<size_t>(i) * dib::kColorEntrySize;
        entry[0] = entry[1] = entry[2] = level;
        entry[3] = 0;
    }
}

CDib::~CDib()
{
    FreeHeader();
    FreeBits();
}

bool CDib::CopyHeader(const uint8_t* source)
{
    FreeHeader();
    const uint32_t headerSize = dib::ReadU32(source, dib::kSize);
    uint64_t length = 0;
    if (headerSize >= dib::kV5HeaderSize && dib::ReadU32(source, dib::kV5ProfileData) != 0) {
        length = static_cast<uint64_t>(dib::ReadU32(source, dib::kV5ProfileData)) +
                 dib::ReadU32(source, dib::kV5ProfileSize);
    } else {
        const uint32_t colours =
            GetColorCount(dib::ReadU16(source, dib::kBitCount), dib::ReadU32(source, dib::kClrUsed),
                          dib::ReadU32(source, dib::kCompression));
        length = headerSize + static_cast<uint64_t>(colours) * dib::kColorEntrySize;
    }
    if (static_cast<size_t>(length) != length)
        return false;
    header = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length)));
    if (!header)
        return false;
    std::memcpy(header, source, static_cast<size_t>(length));
    return true;
}

bool CDib::CreateHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t clrUsed, uint32_t compression,
                        uint32_t profileSize)
{
    FreeHeader();
    const uint32_t colours = GetColorCount(bitCount, clrUsed, compression);
    const uint64_t length =
        dib::kV5HeaderSize + static_cast<uint64_t>(colours) * dib::kColorEntrySize + profileSize;
    if (static_cast<size_t>(length) != length)
        return false;
    header = static_cast<uint8_t*>(std::calloc(1, static_cast<size_t>(length)));
    if (!header)
        return false;
    dib::WriteU32(header, dib::kSize, dib::kV5HeaderSize);
    FillHeader(width, height, bitCount, colours, compression, profileSize);
    return true;
}

void CDib::FreeHeader()
{
    if (header) {
        std::free(header);
        header = nullptr;
    }
}

bool CDib::AllocateBits()
{
    if (!header)
        return false;
    FreeBits();
    const int32_t size = GetImageSize();
    if (size < 0)
        return false;
    bits = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
    return bits != nullptr;
}

void CDib::FreeBits()
{
    if (bits) {
        std::free(bits);
        bits = nullptr;
    }
}

int CDib::Attach(uint8_t* newHeader, uint8_t* newBits)
{
    FreeHeader();
    FreeBits();
    if (newHeader)
        header = newHeader;
    if (newBits)
        bits = newBits;
    return 1;
}

void CDib::Detach(uint8_t** outHeader, uint8_t** outBits)
{
    if (outHeader)
        *outHeader = header;
    if (outBits)
        *outBits = bits;
    header = nullptr;
    bits = nullptr;
}

int32_t CDib::GetImageSize() const
{
    if (!header)
        return 0;
    if (dib::ReadU32(header, dib::kCompression) != dib::kRgb)
        return static_cast<int32_t>(dib::ReadU32(header, dib::kSizeImage));
    const int32_t stride = GetStride(dib::ReadI32(header, dib::kWidth), dib::ReadU16(header, dib::kBitCount));
    if (stride < 0)
        return -1;
    const int64_t size = static_cast<int64_t>(stride) * dib::ReadI32(header, dib::kHeight);
    return size > INT32_MAX || size < INT32_MIN ? -1 : static_cast<int32_t>(size);
}

void CDib::FillHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t colours, uint32_t compression,
                      uint32_t profileSize)
{
    if (!header)
        return;
    dib::WriteI32(header, dib::kWidth, width);
    dib::WriteI32(header, dib::kHeight, height);
    dib::WriteU16(header, dib::kPlanes, 1);
    dib::WriteU16(header, dib::kBitCount, bitCount);
    dib::WriteU32(header, dib::kCompression, compression);
    dib::WriteU32(header, dib::kClrUsed, colours);
    dib::WriteU32(header, dib::kClrImportant, colours);
    if (dib::ReadU32(header, dib::kSize) >= dib::kV5HeaderSize) {
        if (profileSize != 0) {
            dib::WriteU32(header, dib::kV5ProfileData, dib::kV5HeaderSize + colours * dib::kColorEntrySize);
            dib::WriteU32(header, dib::kV5ProfileSize, profileSize);
            dib::WriteU32(header, dib::kV5CSType, dib::kProfileEmbedded);
        } else {
            dib::WriteU32(header, dib::kV5CSType, dib::kSRgb);
        }
    }
    if (compression == dib::kBitFields) {
        // biSizeImage is unsigned: the product is stored modulo 2^32 like any DWORD.
        const int64_t size = static_cast<int64_t>(GetStride(width, bitCount)) * height;
        dib::WriteU32(header, dib::kSizeImage, static_cast<uint32_t>(size));
    }
    if (bitCount == 8 && colours == 256)
        FillGrayPalette(header);
}
