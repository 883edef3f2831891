// The frame file as the Windows side reaches it under Wine: by the DOS path of
// $XDG_RUNTIME_DIR/tessilo-screen.frame, read and written at offsets. The test answers as
// tessilo-screen does, by writing the file.
#include "image/Dib.h"
#include "image/FrameFileReader.h"
#include "image/ScreenDib.h"
#include "screen/FrameFile.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using framefile::ReadResult;

// XDG_RUNTIME_DIR set to a folder's Unix path for one test.
class RuntimeFolder {
public:
    explicit RuntimeFolder(const std::wstring& folder)
    {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        saved = old ? old : "";
        using ToUnix = char*(CDECL*)(const WCHAR*);
        const auto toUnix = reinterpret_cast<ToUnix>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        char* unixPath = toUnix ? toUnix(folder.c_str()) : nullptr;
        if (unixPath) {
            _putenv_s("XDG_RUNTIME_DIR", unixPath);
            HeapFree(GetProcessHeap(), 0, unixPath);
        }
    }
    ~RuntimeFolder() { _putenv_s("XDG_RUNTIME_DIR", saved.c_str()); }

private:
    std::string saved;
};

std::string Bytes(const std::vector<uint8_t>& file)
{
    return std::string(file.begin(), file.end());
}

// The file's bytes rewritten in place, or read, while the reader holds it open, as tessilo-screen does.
HANDLE OpenShared(const std::wstring& path, DWORD access, DWORD creation)
{
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       creation, 0, nullptr);
}

bool Rewrite(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = OpenShared(path, GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::vector<uint8_t> ReadBack(const std::wstring& path, size_t size)
{
    std::vector<uint8_t> bytes(size);
    HANDLE file = OpenShared(path, GENERIC_READ, OPEN_EXISTING);
    DWORD got = 0;
    if (file == INVALID_HANDLE_VALUE || !ReadFile(file, bytes.data(), static_cast<DWORD>(size), &got, nullptr))
        got = 0;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

TEST(FrameFileReader, AsksThroughTheRequestWordAndTakesTheAnswerUnderWine)
{
    TestFolder folder;
    RuntimeFolder runtime(folder.Path());
    CFrameFileReader frames;
    ASSERT_FALSE(frames.Open()) << "no tessilo-screen, no file";

    std::vector<uint8_t> file(framefile::FileSize(2, 2));
    framefile::InitHeader(file.data());
    const std::wstring path = folder.File(L"tessilo-screen.frame");
    ASSERT_TRUE(Rewrite(path, file));
    ASSERT_TRUE(frames.Open());
    ASSERT_EQ(ReadResult::Pending, frames.Ask());
    EXPECT_EQ(ReadResult::Pending, frames.Poll());

    // Only the request word changed.
    std::vector<uint8_t> seen = ReadBack(path, file.size());
    ASSERT_EQ(file.size(), seen.size());
    uint32_t request = 0;
    ASSERT_TRUE(framefile::Requested(seen.data(), request));
    dib::WriteU32(seen.data(), framefile::kRequestAt, 0);
    EXPECT_EQ(Bytes(file), Bytes(seen));

    // The source's answer: a blue top row over a red bottom row.
    dib::WriteU32(file.data(), framefile::kRequestAt, request);
    framefile::SetGeometry(file.data(), 2, 2, PixelFormat::Bgrx);
    for (int pixel = 0; pixel < 4; ++pixel)
        dib::WriteU32(framefile::Pixels(file.data()), pixel * 4, pixel < 2 ? 0x0000FF : 0xFF0000);
    framefile::SetState(file.data(), framefile::State::Live);
    framefile::Answer(file.data(), request);
    ASSERT_TRUE(Rewrite(path, file));
    EXPECT_EQ(ReadResult::Answered, frames.Poll());
    std::vector<uint8_t> block;
    ASSERT_EQ(ReadResult::Copied, frames.Take([&](size_t bytes) {
        block.assign(bytes, 0);
        return block.data();
    }));
    ASSERT_EQ(screendib::PackedSize(2, 2), block.size());
    EXPECT_EQ(0xFF0000u, dib::ReadU32(block.data(), screendib::kPixelsAt)) << "bottom row first";
    EXPECT_EQ(0x0000FFu, dib::ReadU32(block.data(), screendib::kPixelsAt + 8));

    framefile::End(file.data(), framefile::EndReason::ShareStopped);
    ASSERT_TRUE(Rewrite(path, file));
    EXPECT_EQ(ReadResult::Ended, frames.Ask());
    EXPECT_EQ(framefile::EndReason::ShareStopped, frames.Reason());
    frames.Close();
}

}  // namespace
