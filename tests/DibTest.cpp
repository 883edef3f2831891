#include "image/BmpFileHeader.h"
#include "image/Dib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace dib;

TEST(Dib, CountsColourTableEntries)
{
    EXPECT_EQ(3u, GetColorCount(32, 0, kBitFields));
    EXPECT_EQ(3u, GetColorCount(8, 7, kBitFields));
    EXPECT_EQ(0u, GetColorCount(24, 16, kRgb));
    EXPECT_EQ(256u, GetColorCount(8, 0, kRgb));
    EXPECT_EQ(5u, GetColorCount(4, 5, kRgb));
}

TEST(Dib, RowsAreWholeMultiplesOfFourBytes)
{
    EXPECT_EQ(4, GetStride(3, 8));
    EXPECT_EQ(4, GetStride(5, 1));
    EXPECT_EQ(5120, GetStride(1280, 32));
    // Rows that no 32-bit size can describe.
    EXPECT_EQ(-1, GetStride(INT32_MAX, 32));
    EXPECT_EQ(-1, GetStride(-1, 32));
}

TEST(Dib, CreatesAGreyEightBitHeader)
{
    CDib dib;
    ASSERT_TRUE(dib.CreateHeader(640, 480, 8, 0, kRgb, 0));
    EXPECT_EQ(124u, ReadU32(dib.header, kSize));
    EXPECT_EQ(256u, ReadU32(dib.header, kClrUsed));
    EXPECT_EQ(256u, ReadU32(dib.header, kClrImportant));
    EXPECT_EQ(kSRgb, ReadU32(dib.header, kV5CSType));
    EXPECT_EQ(0u, ReadU32(dib.header, kSizeImage));
    const uint8_t* table = dib.header + 124;
    for (uint32_t i = 0; i < 256; ++i) {
        const uint8_t expected[4] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
        ASSERT_EQ(0, std::memcmp(expected, table + 4 * i, 4)) << i;
    }
    EXPECT_EQ(640 * 480, dib.GetImageSize());

    ASSERT_TRUE(dib.CreateHeader(640, 480, 32, 0, kBitFields, 0));
    EXPECT_EQ(3u, ReadU32(dib.header, kClrUsed));
    EXPECT_EQ(2560u * 480, ReadU32(dib.header, kSizeImage));
}

TEST(Dib, ReservesRoomForAnEmbeddedProfileAndCopiesItWithTheHeader)
{
    CDib dib;
    ASSERT_TRUE(dib.CreateHeader(100, 100, 24, 0, kRgb, 3000));
    EXPECT_EQ(124u, ReadU32(dib.header, kV5ProfileData));
    EXPECT_EQ(3000u, ReadU32(dib.header, kV5ProfileSize));
    EXPECT_EQ(kProfileEmbedded, ReadU32(dib.header, kV5CSType));
    dib.header[3123] = 0x5A;  // the last profile byte

    CDib copy;
    ASSERT_TRUE(copy.CopyHeader(dib.header));
    EXPECT_EQ(0, std::memcmp(dib.header, copy.header, 3124));
}

TEST(Dib, SizesImagesByTheirCompression)
{
    CDib dib;
    EXPECT_EQ(0, dib.GetImageSize());
    EXPECT_FALSE(dib.AllocateBits());

    ASSERT_TRUE(dib.CreateHeader(3, 2, 24, 0, kRgb, 0));
    EXPECT_EQ(24, dib.GetImageSize());
    EXPECT_TRUE(dib.AllocateBits());
    EXPECT_NE(nullptr, dib.bits);

    // A compressed header's biSizeImage is taken as it is, even 0.
    WriteU32(dib.header, kCompression, 1);
    EXPECT_EQ(0, dib.GetImageSize());
    WriteU32(dib.header, kSizeImage, 77);
    EXPECT_EQ(77, dib.GetImageSize());

    // Top-down: a negative size, and no allocation.
    WriteU32(dib.header, kCompression, kRgb);
    WriteI32(dib.header, kHeight, -2);
    EXPECT_EQ(-24, dib.GetImageSize());
    EXPECT_FALSE(dib.AllocateBits());
    EXPECT_EQ(nullptr, dib.bits);

}

TEST(Dib, AttachFreesWhatWasHeldAndDetachForgetsWithoutFreeing)
{
    CDib dib;
    ASSERT_TRUE(dib.CreateHeader(1, 1, 32, 0, kRgb, 0));
    ASSERT_TRUE(dib.AllocateBits());
    uint8_t borrowed[128] = {};
    EXPECT_EQ(1, dib.Attach(borrowed, borrowed + 124));
    uint8_t* outHeader = nullptr;
    dib.Detach(&outHeader, nullptr);
    EXPECT_EQ(borrowed, outHeader);
    EXPECT_EQ(nullptr, dib.header);
    EXPECT_EQ(nullptr, dib.bits);
}

// A packed DIB: a header claiming headerSize bytes (laid out as 40 when that is not plausible), then payload bytes (colour table and bits).
std::vector<uint8_t> PackedDib(uint32_t headerSize, uint16_t bitCount, uint32_t compression, uint32_t clrUsed,
                               size_t payload)
{
    const size_t laidOut = headerSize < 40 || headerSize > 124 ? 40 : headerSize;
    std::vector<uint8_t> block(laidOut + payload, 0);
    WriteU32(block.data(), kSize, headerSize);
    WriteI32(block.data(), kWidth, 2);
    WriteI32(block.data(), kHeight, 2);
    WriteU16(block.data(), kPlanes, 1);
    WriteU16(block.data(), kBitCount, bitCount);
    WriteU32(block.data(), kCompression, compression);
    WriteU32(block.data(), kClrUsed, clrUsed);
    return block;
}

TEST(BmpFileHeader, PutsThePixelBitsBehindHeaderAndColourTable)
{
    struct {
        uint32_t headerSize;
        uint16_t bitCount;
        uint32_t compression;
        uint32_t clrUsed;
        size_t payload;
        uint32_t offBits;
    } cases[] = {
        {40, 32, kBitFields, 0, 12 + 16, 66}, {40, 32, kRgb, 0, 16, 54},     {40, 24, kRgb, 9, 16, 54},
        {40, 8, kRgb, 0, 1024 + 8, 1078},     {40, 8, kRgb, 2, 8 + 8, 62},    {124, 32, kBitFields, 0, 12 + 16, 150},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> block = PackedDib(c.headerSize, c.bitCount, c.compression, c.clrUsed, c.payload);
        bmp::FileHeader header;
        ASSERT_TRUE(bmp::MakeFileHeader(block.data(), block.size(), header)) << c.offBits;
        EXPECT_EQ('B', header[0]);
        EXPECT_EQ('M', header[1]);
        EXPECT_EQ(block.size() + 14, ReadU32(header, bmp::kFileSize));
        EXPECT_EQ(0u, ReadU32(header, bmp::kReserved1));
        EXPECT_EQ(c.offBits, ReadU32(header, bmp::kOffBits));
    }
}

TEST(BmpFileHeader, RefusesBlocksThatDoNotHoldTheirOwnHeader)
{
    const struct {
        uint32_t headerSize;
        uint16_t bitCount;
        uint32_t compression;
        uint32_t clrUsed;
        size_t payload;
    } cases[] = {
        {40, 8, kRgb, 0, 1023},          // the colour table cut short
        {40, 32, kBitFields, 0, 11},     // the masks cut short
        {12, 24, kRgb, 0, 64},           // a core header
        {0xFFFFFFF0, 24, kRgb, 0, 64},   // a header longer than the block
        {40, 8, kRgb, 0xFFFFFFFF, 64},   // a palette beyond any block
    };
    bmp::FileHeader header = {0xAB};
    for (const auto& c : cases) {
        const std::vector<uint8_t> block = PackedDib(c.headerSize, c.bitCount, c.compression, c.clrUsed, c.payload);
        EXPECT_FALSE(bmp::MakeFileHeader(block.data(), block.size(), header)) << c.headerSize << "/" << c.payload;
    }
    const std::vector<uint8_t> block = PackedDib(40, 24, kRgb, 0, 0);
    EXPECT_FALSE(bmp::MakeFileHeader(block.data(), 39, header));
    EXPECT_EQ(0xAB, header[0]);
}

TEST(BmpFileHeader, AWholeBitmapHasEveryRowInsideTheFile)
{
    // 2 x 2 at 32 bits: 16 bytes of bits behind 40 + 12.
    std::vector<uint8_t> file(14, 0);
    std::vector<uint8_t> block = PackedDib(40, 32, kBitFields, 0, 12 + 16);
    file.insert(file.end(), block.begin(), block.end());
    WriteU32(file.data(), bmp::kOffBits, 66);
    EXPECT_TRUE(bmp::HoldsWholeBitmap(file.data(), file.size()));
    EXPECT_FALSE(bmp::HoldsWholeBitmap(file.data(), file.size() - 1));

    WriteI32(file.data() + 14, kHeight, -2);  // top-down rows count the same
    EXPECT_TRUE(bmp::HoldsWholeBitmap(file.data(), file.size()));
    WriteI32(file.data() + 14, kHeight, 3);
    EXPECT_FALSE(bmp::HoldsWholeBitmap(file.data(), file.size()));
    WriteI32(file.data() + 14, kHeight, 2);

    WriteU32(file.data(), bmp::kOffBits, 40);  // inside the DIB header
    EXPECT_FALSE(bmp::HoldsWholeBitmap(file.data(), file.size()));
    WriteU32(file.data(), bmp::kOffBits, static_cast<uint32_t>(file.size()));
    EXPECT_FALSE(bmp::HoldsWholeBitmap(file.data(), file.size()));
    EXPECT_FALSE(bmp::HoldsWholeBitmap(file.data(), 14));
}

}  // namespace
