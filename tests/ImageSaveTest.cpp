#include "capture/OutputPath.h"
#include "tests/support/FrameSave.h"
#include "image/Dib.h"
#include "image/GdiplusSession.h"
#include "image/ImageEncoder.h"
#include "image/ScreenDib.h"
#include "settings/CaptureSettings.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace dib;

constexpr int kWidth = 3;
constexpr int kHeight = 2;
const char kPngSignature[] = "\x89PNG\r\n\x1a\n";

// The colour of pixel (x, y), y counted from the top, as 0xRRGGBB.
uint32_t Colour(int x, int y)
{
    return 0x102030u * static_cast<uint32_t>(x + 1) + 0x400000u * static_cast<uint32_t>(y) + 0x000009u;
}

// A 32-bit BI_BITFIELDS BMP file image, as the clipboard read makes it, with slack bytes at the end.
std::vector<uint8_t> ScreenFileImage(size_t slack = 0)
{
    const auto size = static_cast<size_t>(screendib::FileSize(kWidth, kHeight));
    std::vector<uint8_t> file(size + slack, 0);
    file[0] = 'B';
    file[1] = 'M';
    WriteU32(file.data(), 2, static_cast<uint32_t>(file.size()));
    WriteU32(file.data(), 10, static_cast<uint32_t>(screendib::kFilePixelsAt));
    screendib::WriteHeader(file.data() + 14, kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            // Bottom-up: the first stored row is the bottom one.
            const size_t at = screendib::kFilePixelsAt + 4u * (static_cast<size_t>(kHeight - 1 - y) * kWidth + x);
            WriteU32(file.data(), at, Colour(x, y) | 0x7F000000u);
        }
    }
    for (size_t i = 0; i < slack; ++i)
        file[size + i] = static_cast<uint8_t>(0xA0 + i);
    return file;
}

std::string AsString(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class ImageSave : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gdiplus = std::make_unique<CGdiplusSession>(); }
    static void TearDownTestSuite() { gdiplus.reset(); }

    void SetUp() override
    {
        saved = g_settings;
        g_settings.folderHistory.Push(folder.Path());
        g_settings.specHistory.Push(L"scene");
        g_settings.seqWidth = 4;
        g_settings.startNumber = 0;
        picture = ScreenFileImage();
    }

    void TearDown() override { g_settings = saved; }

    // The next file of the sequence; the count grows only when it was written.
    bool SaveAs(const std::wstring& ext)
    {
        g_settings.ext = ext;
        if (!SaveFrame(g_settings, static_cast<int64_t>(g_settings.startNumber) + savedCount, picture))
            return false;
        ++savedCount;
        return true;
    }

    // Decodes a PNG through GDI+ and compares every pixel's colour with the source.
    void ExpectPngOfTheSource(const std::wstring& name) const
    {
        ASSERT_EQ(std::string(kPngSignature, 8), folder.Read(name).substr(0, 8));
        Gdiplus::Bitmap decoded(folder.File(name).c_str());
        ASSERT_EQ(Gdiplus::Ok, decoded.GetLastStatus());
        ASSERT_EQ(static_cast<UINT>(kWidth), decoded.GetWidth());
        ASSERT_EQ(static_cast<UINT>(kHeight), decoded.GetHeight());
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                Gdiplus::Color colour;
                ASSERT_EQ(Gdiplus::Ok, decoded.GetPixel(x, y, &colour));
                EXPECT_EQ(Colour(x, y), colour.GetValue() & 0xFFFFFFu) << x << "," << y;
            }
        }
    }

    static std::unique_ptr<CGdiplusSession> gdiplus;
    TestFolder folder;
    CaptureSettings saved;
    std::vector<uint8_t> picture;
    int64_t savedCount = 0;
};

std::unique_ptr<CGdiplusSession> ImageSave::gdiplus;

TEST_F(ImageSave, ReplacesExistingFilesWithTheBmpBytesOrAPngOfTheSamePixels)
{
    picture = ScreenFileImage(13);
    const std::vector<uint8_t> taken = picture;
    const std::string junk(5000, 'j');
    ASSERT_TRUE(folder.Write(L"scene0000.bmp", junk));
    ASSERT_TRUE(folder.Write(L"scene0001.png", junk));
    ASSERT_TRUE(SaveAs(L"bmp"));
    EXPECT_EQ(AsString(taken), folder.Read(L"scene0000.bmp"));
    ASSERT_TRUE(SaveAs(L"png"));
    ExpectPngOfTheSource(L"scene0001.png");
    EXPECT_EQ(2, savedCount);
    // The buffer is lent to the encoder, never changed or freed by it.
    EXPECT_EQ(taken, picture);
}

TEST_F(ImageSave, ChoosesTheRouteByTheExtensionAndKeepsItsLetterCase)
{
    const std::string bmpBytes = AsString(picture);
    ASSERT_TRUE(SaveAs(L"PnG"));
    ExpectPngOfTheSource(L"scene0000.PnG");
    const struct {
        const wchar_t* ext;
        const wchar_t* name;
    } others[] = {{L"jpg", L"scene0001.jpg"}, {L"apng", L"scene0002.apng"}, {L"png ", L"scene0003.png "},
                  {L"BMP", L"scene0004.BMP"}};
    for (const auto& other : others) {
        SCOPED_TRACE(other.ext);
        ASSERT_TRUE(SaveAs(other.ext));
        // The file system may drop a trailing blank; the same name reads the file back either way.
        EXPECT_EQ(bmpBytes, folder.Read(other.name));
    }
}

TEST_F(ImageSave, NumbersFollowTheStartNumberPastThe32BitRange)
{
    g_settings.startNumber = INT32_MAX;
    ASSERT_TRUE(SaveAs(L"bmp"));
    ASSERT_TRUE(SaveAs(L"bmp"));
    EXPECT_TRUE(folder.Exists(L"scene2147483647.bmp"));
    EXPECT_TRUE(folder.Exists(L"scene2147483648.bmp"));
    EXPECT_EQ(folder.File(L"scene2147483649.bmp"), BuildOutputPath(g_settings, int64_t{INT32_MAX} + 2));
}

TEST_F(ImageSave, AFailedSaveKeepsTheCountSoTheNextTryUsesTheSameName)
{
    g_settings.folderHistory.Push(folder.File(L"missing"));
    EXPECT_FALSE(SaveAs(L"bmp"));
    EXPECT_FALSE(SaveAs(L"png"));
    EXPECT_EQ(0, savedCount);

    g_settings.folderHistory.Push(folder.Path());
    const std::vector<uint8_t> taken = picture;
    picture.clear();
    EXPECT_FALSE(SaveAs(L"bmp"));
    EXPECT_FALSE(folder.Exists(L"scene0000.bmp"));
    // Rows that the header promises but the image does not hold.
    picture.assign(taken.begin(), taken.end() - 1);
    EXPECT_FALSE(SaveAs(L"png"));
    EXPECT_EQ(0, savedCount);

    picture = taken;
    ASSERT_TRUE(SaveAs(L"png"));
    EXPECT_TRUE(folder.Exists(L"scene0000.png"));
}

TEST_F(ImageSave, AFailedSaveLeavesTheFileAlreadyUnderItsNameAsItWas)
{
    const std::string old(5000, 'o');
    std::vector<uint8_t> noBitmap = picture;
    WriteI32(noBitmap.data() + 14, dib::kWidth, 0);   // GDI+ makes no bitmap of zero width
    struct Case {
        const wchar_t* ext;
        std::vector<uint8_t> picture;
        bool heldOpen;   // by a reader that shares no delete: the new file cannot take its name
        const wchar_t* name;
    };
    // Refused before any file is made, and written whole but kept from the name.
    const Case cases[] = {{L"png", noBitmap, false, L"scene0000.png"},
                          {L"bmp", {}, false, L"scene0000.bmp"},
                          {L"png", picture, true, L"scene0000.png"},
                          {L"bmp", picture, true, L"scene0000.bmp"}};
    for (const Case& c : cases) {
        const std::wstring name = c.name;
        SCOPED_TRACE(testing::Message() << name << (c.heldOpen ? " held open" : ""));
        ASSERT_TRUE(folder.Write(name, old));
        HANDLE reader = c.heldOpen ? CreateFileW(folder.File(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, 0, nullptr)
                                   : INVALID_HANDLE_VALUE;
        picture = c.picture;
        EXPECT_FALSE(SaveAs(c.ext));
        if (reader != INVALID_HANDLE_VALUE)
            CloseHandle(reader);
        EXPECT_TRUE(folder.Read(name) == old) << "the file was changed or removed";
        EXPECT_EQ(std::vector<std::wstring>{name}, FilesIn(folder.Path()));
        DeleteFileW(folder.File(name).c_str());
    }
    EXPECT_EQ(0, savedCount);
}

}  // namespace
