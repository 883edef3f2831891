// The real tessilo.exe set up as the launcher sets up Tessilo's own prefix on Linux: its pictures
// come from the real tessilo-screen, which reads this X server through shared memory. Run under a
// window manager, which takes a minimised window off the screen. The test command names the
// program in TESSILO_SCREEN_PROGRAM; elsewhere this is skipped.
#include "capture/MinimiseAnimation.h"
#include "image/BmpFileHeader.h"
#include "image/Dib.h"
#include "image/ScreenDib.h"
#include "tests/support/Clipboard.h"
#include "tests/support/Files.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/RemoteDialog.h"
#include "tests/support/ScreenCover.h"
#include "tests/support/XServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr unsigned kCover = 0x3070C0;  // 0xRRGGBB

class ScreenSource : public ProgramFixture {
protected:
    void SetUp() override
    {
        const char* source = std::getenv("TESSILO_SCREEN_PROGRAM");
        if (!source || !*source)
            GTEST_SKIP() << "TESSILO_SCREEN_PROGRAM names no tessilo-screen";
        ProgramFixture::SetUp();
        runtime = "/tmp/tessilo-source-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(RunHostCommand("rm -rf " + runtime + " && mkdir -m 700 " + runtime + " && (XDG_RUNTIME_DIR="
                                   + runtime + " exec '" + source + "' </dev/null >" + runtime + "/log 2>&1 & echo $! >"
                                   + runtime + "/pid)"));
        std::wstring frame = L"Z:" + std::wstring(runtime.begin(), runtime.end()) + L"/tessilo-screen.frame";
        for (wchar_t& c : frame)
            c = c == L'/' ? L'\\' : c;
        const DWORD start = GetTickCount();
        while (GetFileAttributesW(frame.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 10000)
            Sleep(50);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(frame.c_str())) << ReadWholeFile(Log());
        // As the launcher sets up Tessilo's own prefix: the program inherits it.
        SetEnvironmentVariableW(L"TESSILO_SCREEN_SOURCE", frame.c_str());
    }

    void TearDown() override
    {
        SetEnvironmentVariableW(L"TESSILO_SCREEN_SOURCE", nullptr);
        ProgramFixture::TearDown();
        if (!runtime.empty())
            RunHostCommand("kill -9 $(cat " + runtime + "/pid) 2>/dev/null; rm -rf " + runtime);
    }

    std::wstring Log() const { return L"Z:" + std::wstring(runtime.begin(), runtime.end()) + L"\\log"; }

    std::string runtime;
};

// Pixels of the BMP file (bottom-up rows) that are not the cover's colour, one in 97.
size_t OtherColouredPixels(const std::string& bmp)
{
    if (bmp.size() < screendib::kFilePixelsAt)
        return bmp.size() + 1;
    size_t other = 0;
    for (size_t at = screendib::kFilePixelsAt; at + 4 <= bmp.size(); at += 97 * 4) {
        const unsigned rgb = static_cast<unsigned char>(bmp[at]) | static_cast<unsigned char>(bmp[at + 1]) << 8
            | static_cast<unsigned char>(bmp[at + 2]) << 16;
        other += rgb != kCover;
    }
    return other;
}

// Every file shows the screen of its moment, the user's copy stays on the clipboard, and the
// source killed mid-capture ends it with the message that says so.
TEST_F(ScreenSource, RecordsTheScreenFromTheSourceLeavesTheClipboardAloneAndSaysWhenTheSourceDies)
{
    ScreenCover cover(RGB(kCover >> 16, (kCover >> 8) & 0xFF, kCover & 0xFF));
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ClipboardOwner clipboard;
    ASSERT_NE(0u, clipboard.Place(CF_UNICODETEXT, std::wstring(L"the user's copy\0", 16)));
    const DWORD sequence = GetClipboardSequenceNumber();
    ASSERT_NO_FATAL_FAILURE(FillInputs(output.Path(), L"bmp", 0, L"10"));
    PressStart();
    ASSERT_TRUE(WaitUntilMinimised(5000)) << Describe(WaitForMessageBox(program, 0));
    ASSERT_TRUE(WaitForFiles(output.Path(), 3, 5000 + kDesktopMinimiseMs))
        << FilesIn(output.Path()).size() << " files; " << Describe(WaitForMessageBox(program, 0));

    ASSERT_TRUE(RunHostCommand("kill -9 $(cat " + runtime + "/pid)"));
    HWND box = WaitForMessageBox(program, 10000);
    ASSERT_NE(nullptr, box) << FilesIn(output.Path()).size() << " files: the capture runs on";
    EXPECT_EQ(L"tessilo-screen, which reads the screen for Tessilo on Linux, stopped or no longer answers: the "
              L"capture ended here\n\nstart Tessilo again to record",
              AnswerMessageBox(box, IDOK).text);

    for (const std::wstring& name : FilesIn(output.Path())) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        const std::string bmp = output.Read(name);
        EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), dib::ReadI32(bmp.data(), bmp::kFileHeaderSize + dib::kWidth));
        EXPECT_EQ(0u, OtherColouredPixels(bmp));
    }
    EXPECT_EQ(sequence, GetClipboardSequenceNumber()) << "the capture changed the clipboard";
}

}  // namespace
