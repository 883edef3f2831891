// A device-independent bitmap as a header block and pixel bits, on the published byte layouts
// of BITMAPINFOHEADER and BITMAPV5HEADER. Needs no platform call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dib {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV5HeaderSize = 124;
constexpr uint32_t kColorEntrySize = 4;  // blue, green, red, reserved

constexpr uint32_t kRgb = 0;        // BI_RGB
constexpr uint32_t kBitFields = 3;  // BI_BITFIELDS
constexpr uint32_t kSRgb = 0x73524742;             // LCS_sRGB
constexpr uint32_t kProfileEmbedded = 0x4D424544;  // PROFILE_EMBEDDED

// Field offsets from the start of the header.
constexpr size_t kSize = 0;
constexpr size_t kWidth = 4;
constexpr size_t kHeight = 8;
constexpr size_t kPlanes = 12;
constexpr size_t kBitCount = 14;
constexpr size_t kCompression = 16;
constexpr size_t kSizeImage = 20;
constexpr size_t kClrUsed = 32;
constexpr size_t kClrImportant = 36;
constexpr size_t kV5CSType = 56;
constexpr size_t kV5ProfileData = 112;
constexpr size_t kV5ProfileSize = 116;

// Little-endian fields at any alignment.
uint16_t ReadU16(const void* block, size_t offset);
uint32_t ReadU32(const void* block, size_t offset);
int32_t ReadI32(const void* block, size_t offset);
void WriteU16(void* block, size_t offset, uint16_t value);
void WriteU32(void* block, size_t offset, uint32_t value);
void WriteI32(void* block, size_t offset, int32_t value);

}  // namespace dib

// Colour-table entries behind the header: 3 masks for BI_BITFIELDS, none above 8 bits per
// pixel, else clrUsed, else 2 to the power bitCount.
uint32_t GetColorCount(uint32_t bitCount, uint32_t clrUsed, uint32_t compression);

// Bytes per row, a multiple of 4; -1 for a negative width or a row beyond the 32-bit range.
int32_t GetStride(int32_t width, uint32_t bitCount);

// A grey ramp from black to white in the colour table of the header block.
void FillGrayPalette(uint8_t* header);

class CDib {
public:
    // Both blocks are owned (freed with free) unless taken back with Detach.
    uint8_t* header = nullptr;
    uint8_t* bits = nullptr;

    CDib() = default;
    virtual ~CDib();
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    // A copy of the source's header and colour table, or of a version-5 header up to the end
    // of its profile.
    virtual bool CopyHeader(const uint8_t* source);
    // A zeroed version-5 header, colour table and profileSize bytes for the profile.
    virtual bool CreateHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t clrUsed,
                              uint32_t compression, uint32_t profileSize);
    virtual void FreeHeader();
    // GetImageSize bytes; fails without a header or for a negative size.
    virtual bool AllocateBits();
    virtual void FreeBits();

    // Frees what the object held, then owns the blocks given.
    int Attach(uint8_t* newHeader, uint8_t* newBits);
    // Hands both blocks to the caller (either out-parameter may be null) and forgets them.
    void Detach(uint8_t** outHeader, uint8_t** outBits);

    // 0 without a header; biSizeImage when compressed; else stride times the signed height, or
    // -1 when that does not fit 32 bits.
    int32_t GetImageSize() const;
    void FillHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t colours, uint32_t compression,
                    uint32_t profileSize);
};
