#include "image/CaptureImage.h"
#include "image/Dib.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace dib;

// A packed DIB of width x height pixels with a zeroed colour table or mask block, its pixel
// bytes counting up, and slack extra bytes at the end.
std::vector<uint8_t> MakeDib(uint32_t headerSize, int32_t width, int32_t height, uint16_t bitCount,
                             uint32_t compression, size_t slack = 0)
{
    const uint32_t colours = GetColorCount(bitCount, 0, compression);
    const size_t bitsSize = static_cast<size_t>(GetStride(width, bitCount)) * height;
    std::vector<uint8_t> block(headerSize + colours * 4 + bitsSize + slack, 0);
    WriteU32(block.data(), kSize, headerSize);
    WriteI32(block.data(), kWidth, width);
    WriteI32(block.data(), kHeight, height);
    WriteU16(block.data(), kPlanes, 1);
    WriteU16(block.data(), kBitCount, bitCount);
    WriteU32(block.data(), kCompression, compression);
    WriteU32(block.data(), kSizeImage, static_cast<uint32_t>(bitsSize));
    for (size_t i = 0; i < bitsSize + slack; ++i)
        block[headerSize + colours * 4 + i] = static_cast<uint8_t>(i * 7 + 1);
    return block;
}

class ClipboardImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = clipboard.Window();
        ASSERT_NE(nullptr, window);
    }

    // Puts the bytes on the clipboard as CF_DIB; returns the size the block reports.
    SIZE_T PlaceDib(const std::vector<uint8_t>& bytes) const
    {
        const SIZE_T size = clipboard.Place(CF_DIB, bytes);
        EXPECT_NE(0u, size);
        return size;
    }

    // With its terminating null.
    void PlaceText(const std::wstring& text) const { EXPECT_NE(0u, clipboard.Place(CF_UNICODETEXT, text + L'\0')); }

    // The clipboard was closed again and the block left unlocked.
    void ExpectClipboardReleased() const
    {
        ASSERT_TRUE(OpenClipboard(window)) << "clipboard left open";
        if (HANDLE data = GetClipboardData(CF_DIB)) {
            EXPECT_EQ(0u, GlobalFlags(data) & GMEM_LOCKCOUNT) << "block left locked";
        }
        CloseClipboard();
    }

    ClipboardOwner clipboard;
    HWND window = nullptr;
    CCaptureImage image;
};

uint32_t OffBits(const std::vector<uint8_t>& file)
{
    return ReadU32(file.data(), 10);
}

TEST_F(ClipboardImage, TextOnlyIsNoPicture)
{
    PlaceText(L"hello");
    image.fileImage = {1, 2, 3};
    EXPECT_FALSE(image.Prepare(window));
    EXPECT_FALSE(image.ready);
    EXPECT_FALSE(image.CopyFromClipboard(image.fileImage));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), image.fileImage);
    ExpectClipboardReleased();
}

TEST_F(ClipboardImage, PreparesAFileImageOfTheScreenBitmap)
{
    // Slack at the end of the block is part of the image.
    const std::vector<uint8_t> dib = MakeDib(40, 5, 3, 32, kBitFields, 37);
    const SIZE_T blockSize = PlaceDib(dib);
    ASSERT_TRUE(image.Prepare(window));
    EXPECT_TRUE(image.ready);
    EXPECT_EQ(window, image.owner);
    ASSERT_EQ(blockSize + 14, image.fileImage.size());
    EXPECT_EQ(0, std::memcmp("BM", image.fileImage.data(), 2));
    EXPECT_EQ(blockSize + 14, ReadU32(image.fileImage.data(), 2));
    EXPECT_EQ(66u, OffBits(image.fileImage));
    EXPECT_EQ(0, std::memcmp(dib.data(), image.fileImage.data() + 14, dib.size()));
    ExpectClipboardReleased();
}

TEST_F(ClipboardImage, LaterReadsRefreshInPlaceOnlyTheSameLayout)
{
    std::vector<uint8_t> dib = MakeDib(40, 4, 4, 32, kBitFields);
    PlaceDib(dib);
    ASSERT_TRUE(image.Prepare(window));
    const uint8_t* buffer = image.fileImage.data();
    dib.back() = 0xEE;
    PlaceDib(dib);
    ASSERT_TRUE(image.CopyFromClipboard(image.fileImage));
    EXPECT_EQ(buffer, image.fileImage.data());
    EXPECT_EQ(0xEE, image.fileImage[14 + dib.size() - 1]);
    const std::vector<uint8_t> prepared = image.fileImage;

    // Another resolution.
    PlaceDib(MakeDib(40, 5, 4, 32, kBitFields));
    EXPECT_FALSE(image.CopyFromClipboard(image.fileImage));
    EXPECT_EQ(prepared, image.fileImage);

    EXPECT_TRUE(image.ready);
    ExpectClipboardReleased();
}

// Another program holding the clipboard open for `ms`: true once it holds it, false when it ended
// unseen (a loaded machine may let a short hold pass between two looks).
bool HoldClipboard(ChildProcess& holder, const wchar_t* ms)
{
    if (!holder.Start(L"clipboard_holder.exe", ms))
        return false;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(1)) {
        if (GetOpenClipboardWindow())
            return true;
        if (holder.WaitForExit(0) != STILL_ACTIVE)
            return false;
    }
    return false;
}

// A clipboard history or manager reads each new picture and holds the clipboard while it does.
TEST_F(ClipboardImage, AClipboardHeldForAMomentIsWaitedOutAndOneHeldLongerIsNot)
{
    PlaceDib(MakeDib(40, 4, 4, 32, kBitFields));
    ASSERT_TRUE(image.Prepare(window));

    bool held = false;
    for (int attempt = 0; attempt < 5 && !held; ++attempt) {
        ChildProcess moment;
        held = HoldClipboard(moment, L"50");
        if (held) {
            EXPECT_TRUE(image.CopyFromClipboard(image.fileImage));
        }
    }
    ASSERT_TRUE(held) << "no holder was seen holding the clipboard";
    ExpectClipboardReleased();

    ChildProcess longer;
    ASSERT_TRUE(HoldClipboard(longer, L"1000")) << "the holder never held the clipboard";
    const DWORD start = GetTickCount();
    EXPECT_FALSE(image.CopyFromClipboard(image.fileImage));
    EXPECT_LT(GetTickCount() - start, 1000u) << "waited for as long as the clipboard was held";
    // Told apart from a clipboard that holds no picture, which a copy of the user's leaves.
    EXPECT_TRUE(image.busy);
    longer.Kill();
}

TEST_F(ClipboardImage, ALaterBlockOfTheSameSizeWithAnotherHeaderLengthFails)
{
    // 84 bytes of slack make the 40-byte-header block as long as the 124-byte one.
    const std::vector<uint8_t> v5 = MakeDib(124, 4, 4, 32, kBitFields);
    const std::vector<uint8_t> info = MakeDib(40, 4, 4, 32, kBitFields, 84);
    ASSERT_EQ(v5.size(), info.size());
    PlaceDib(info);
    ASSERT_TRUE(image.Prepare(window));
    const std::vector<uint8_t> prepared = image.fileImage;

    PlaceDib(v5);
    EXPECT_FALSE(image.CopyFromClipboard(image.fileImage));
    EXPECT_EQ(prepared, image.fileImage);
}

TEST_F(ClipboardImage, ABlockShorterThanItsHeaderIsRefused)
{
    image.fileImage = {9};
    std::vector<uint8_t> truncated = MakeDib(40, 16, 16, 8, kRgb);
    truncated.resize(40 + 100);  // the colour table needs 1024 bytes
    PlaceDib(truncated);
    EXPECT_FALSE(image.Prepare(window));

    std::vector<uint8_t> lying = MakeDib(40, 2, 2, 24, kRgb);
    WriteU32(lying.data(), kSize, 4000);
    PlaceDib(lying);
    EXPECT_FALSE(image.Prepare(window));

    WriteU32(lying.data(), kSize, 12);
    PlaceDib(lying);
    EXPECT_FALSE(image.Prepare(window));
    EXPECT_EQ(std::vector<uint8_t>{9}, image.fileImage);
    ExpectClipboardReleased();
}

}  // namespace
