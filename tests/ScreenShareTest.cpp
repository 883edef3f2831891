// The real tessilo.exe, set up as the launcher sets up Tessilo's own prefix, and its companion on a
// Wayland session whose screen tessilo-screen shares through the screen-cast portal: Tessilo asks
// tessilo-screen for each picture. The test command runs this on a headless sway with a native
// window of a known colour filling the screen (Tessilo's windows are on a workspace out of sight);
// elsewhere it is skipped. On a headless GNOME session the test command runs the pictures of a
// window that repaints every frame, the end of the share and the refusal without it. It passes, in the environment:
//   TESSILO_SHARED_WINDOW  "left top width height rrggbb" of the native window
//   TESSILO_END_SHARE      a Unix shell script that ends the share as the desktop's "stop sharing" does
//   TESSILO_SCREEN_LOG     tessilo-screen's output; the desktop has a second output, which the portal
//                          does not share
//   TESSILO_PORTAL_CALLS   the ScreenCast calls on the session bus since before tessilo-screen started,
//                          as dbus-monitor prints them
#include "capture/MinimiseAnimation.h"
#include "image/ScreenDib.h"
#include "tests/support/Files.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/XServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

int32_t BmpWidth(const std::string& bmp)
{
    return dib::ReadI32(bmp.data(), bmp::kFileHeaderSize + dib::kWidth);
}

// A Unix path as Wine sees it, on its drive for the root.
std::string WinePath(std::string path)
{
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return "Z:" + path;
}

struct Window {
    int left = 0, top = 0, width = 0, height = 0;
    unsigned colour = 0;  // 0xRRGGBB
};

class ScreenShare : public ProgramFixture {
protected:
    void SetUp() override
    {
        const char* shared = std::getenv("TESSILO_SHARED_WINDOW");
        if (!shared || std::sscanf(shared, "%d %d %d %d %x", &window.left, &window.top, &window.width,
                                   &window.height, &window.colour) != 5)
            GTEST_SKIP() << "no shared Wayland screen";
        ProgramFixture::SetUp();
        // As the launcher sets up Tessilo's own prefix: pictures come from tessilo-screen's frame
        // file, not through PrtSc and the clipboard.
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        ASSERT_NE(nullptr, runtime);
        const std::string frame = WinePath(std::string(runtime) + "/tessilo-screen.frame");
        SetEnvironmentVariableW(L"TESSILO_SCREEN_SOURCE", std::wstring(frame.begin(), frame.end()).c_str());
    }

    void TearDown() override
    {
        SetEnvironmentVariableW(L"TESSILO_SCREEN_SOURCE", nullptr);
        ProgramFixture::TearDown();
    }

    // Pixels of the native window, checked in a BMP of the screen (rows bottom-up): the count that
    // has another colour.
    size_t OtherColouredPixels(const std::string& bmp)
    {
        const int32_t width = BmpWidth(bmp);
        const int32_t height = dib::ReadI32(bmp.data(), bmp::kFileHeaderSize + dib::kHeight);
        size_t other = 0;
        for (int y = window.top; y < window.top + window.height; y += 7)
            for (int x = window.left; x < window.left + window.width; x += 7) {
                const size_t at = screendib::kFilePixelsAt + (static_cast<size_t>(height - 1 - y) * width + x) * 4;
                const unsigned rgb = static_cast<unsigned char>(bmp[at]) | static_cast<unsigned char>(bmp[at + 1]) << 8
                    | static_cast<unsigned char>(bmp[at + 2]) << 16;
                other += rgb != window.colour;
            }
        return other;
    }

    // Tessilo and its companion started, a capture of `ext` files at 10 per second minimised and
    // running until it has written three.
    void StartCaptureUntilThreeFiles(const wchar_t* ext)
    {
        ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
        ASSERT_NO_FATAL_FAILURE(FillInputs(output.Path(), ext, 0, L"10"));
        PressStart();
        ASSERT_TRUE(WaitUntilMinimised(5000)) << Describe(WaitForMessageBox(program, 0));
        ASSERT_TRUE(WaitForFiles(output.Path(), 3, 5000 + kDesktopMinimiseMs))
            << FilesIn(output.Path()).size() << " files; " << Describe(WaitForMessageBox(program, 0));
    }

    Window window;
};

// The call `member` in dbus-monitor's log, every run of blanks made one space; empty when absent.
std::string LoggedCall(const std::string& log, const std::string& member)
{
    const size_t start = log.find("member=" + member + "\n");
    if (start == std::string::npos)
        return {};
    // Each message starts at the beginning of a line; its arguments are indented.
    size_t end = start;
    while ((end = log.find('\n', end + 1)) != std::string::npos && end + 1 < log.size() && log[end + 1] == ' ') {
    }
    std::istringstream words(log.substr(start, end == std::string::npos ? std::string::npos : end - start));
    std::string word, call;
    while (words >> word)
        call += (call.empty() ? "" : " ") + word;
    return call;
}

TEST_F(ScreenShare, AsksThePortalForPicturesWithoutThePointer)
{
    // The headless session draws no pointer: what is asked is what counts. Its backend offers the
    // hidden mode; the pointer would be in every picture without the ask.
    const char* calls = std::getenv("TESSILO_PORTAL_CALLS");
    ASSERT_NE(nullptr, calls);
    std::ifstream file(WinePath(calls));
    const std::string log{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::string select = LoggedCall(log, "SelectSources");
    ASSERT_FALSE(select.empty()) << log;
    EXPECT_NE(std::string::npos, select.find("string \"cursor_mode\" variant uint32 1 )")) << select;
    EXPECT_NE(std::string::npos, select.find("string \"types\" variant uint32 1 )")) << select;
}

TEST_F(ScreenShare, SaysWhenTheDesktopSharesFewerMonitorsThanItHas)
{
    const char* screenLog = std::getenv("TESSILO_SCREEN_LOG");
    ASSERT_NE(nullptr, screenLog);
    std::ifstream file(WinePath(screenLog));
    std::string first;
    ASSERT_TRUE(std::getline(file, first));
    EXPECT_EQ(0u, first.find("tessilo-screen: sharing the screen into ")) << first;
    EXPECT_NE(std::string::npos, first.find("(1 of the desktop's 2 monitors")) << first;
}

TEST_F(ScreenShare, FilesShowTheSharedScreenAtEveryTickWhileAWindowRepaintsEveryFrame)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
    ASSERT_NO_FATAL_FAILURE(FillInputs(output.Path(), L"bmp", 0, L"10"));
    PressStart();
    ASSERT_TRUE(WaitUntilMinimised(5000)) << Describe(WaitForMessageBox(program, 0));
    // The window repaints every frame, in one colour: every picture is a whole frame of it, never
    // one the source was still writing. The output is at 200 %: the files have its every pixel.
    // The first press waits for the desktop's minimise animation.
    PumpFor(2000 + kDesktopMinimiseMs);
    PostMessageW(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
    HWND question = WaitForMessageBox(program, 10000);
    ASSERT_NE(nullptr, question);
    const DWORD elapsed = GetTickCount() - startedAt;
    AnswerMessageBox(question, IDNO);

    const auto files = FilesIn(output.Path());
    // One per 100 ms after that wait, with room for a loaded machine (little more than a third of
    // that rate was seen).
    EXPECT_GE(files.size(), (elapsed - kDesktopMinimiseMs) / 100 / 3);
    for (const std::wstring& name : files) {
        SCOPED_TRACE(name);
        const std::string bmp = output.Read(name);
        ASSERT_GE(bmp.size(), screendib::kFilePixelsAt);
        ASSERT_EQ(window.left + window.width, BmpWidth(bmp));
        EXPECT_EQ(0u, OtherColouredPixels(bmp));
    }
}

TEST_F(ScreenShare, AClickIntoTheMinimisedWindowThatStaysOnScreenEndsTheCapture)
{
    ASSERT_NO_FATAL_FAILURE(StartCaptureUntilThreeFiles(L"bmp"));

    // sway ignores the minimise: the window stays on screen, where a person clicks into it.
    ASSERT_TRUE(FocusAndClickInside(dialog));
    HWND question = WaitForMessageBox(program, 5000);
    ASSERT_NE(nullptr, question) << FilesIn(output.Path()).size() << " files: the capture runs on";
    const std::vector<std::wstring> written = FilesIn(output.Path());
    EXPECT_TRUE(IsEndQuestion(AnswerMessageBox(question, IDNO).text));
    EXPECT_TRUE(ShownNormal());
    PumpFor(700);
    EXPECT_EQ(nullptr, WaitForMessageBox(program, 0)) << "asked more than once";
    EXPECT_EQ(written, FilesIn(output.Path())) << "a file was written after the question";
}

TEST_F(ScreenShare, FocusingTheMinimisedWindowThroughTheDesktopEndsTheCapture)
{
    ASSERT_NO_FATAL_FAILURE(StartCaptureUntilThreeFiles(L"bmp"));

    // As the desktop's window list, or a click that sway sees, brings it to the front: sway
    // takes back the minimise, and Wine hears of a tiled, maximised window.
    ASSERT_TRUE(
        RunHostCommand("SWAYSOCK=$(ls $XDG_RUNTIME_DIR/sway-ipc.*.sock) swaymsg [title=^Tessilo$] focus >/dev/null"));
    HWND question = WaitForMessageBox(program, 5000);
    ASSERT_NE(nullptr, question) << FilesIn(output.Path()).size() << " files";
    const std::vector<std::wstring> written = FilesIn(output.Path());
    EXPECT_TRUE(IsEndQuestion(AnswerMessageBox(question, IDNO).text));
    PumpFor(700);
    EXPECT_EQ(written, FilesIn(output.Path())) << "a file was written after the question";
}

TEST_F(ScreenShare, EndingTheShareEndsTheCaptureWithTessilosMessage)
{
    const char* endShare = std::getenv("TESSILO_END_SHARE");
    ASSERT_NE(nullptr, endShare);
    ASSERT_NO_FATAL_FAILURE(StartCaptureUntilThreeFiles(L"png"));

    ASSERT_TRUE(RunHostCommand(std::string("sh ") + endShare));

    // How long an old picture may still be handed out is the frame file's heartbeat rule, tested
    // on its own; here the capture must end at all.
    HWND box = WaitForMessageBox(program, 60000);
    ASSERT_NE(nullptr, box) << "the capture did not end within a minute of the share's end, "
                            << FilesIn(output.Path()).size() << " files";
    const ShownMessage message = AnswerMessageBox(box, IDOK);
    EXPECT_EQ(L"Error", message.caption);
    EXPECT_EQ(L"the desktop's screen share ended (stopped from the desktop, or closed by it): the capture ended "
              L"here\n\nstart Tessilo again and allow the share to record again",
              message.text);
    const size_t written = FilesIn(output.Path()).size();
    PumpFor(500);
    EXPECT_EQ(written, FilesIn(output.Path()).size()) << "a tick ran after the capture ended";
}

TEST_F(ScreenShare, WithoutTheShareStartSaysItCannotPrepareTheCapture)
{
    // Ended here too when no earlier test did; then there is nothing left to end.
    const char* endShare = std::getenv("TESSILO_END_SHARE");
    ASSERT_NE(nullptr, endShare);
    RunHostCommand(std::string("sh ") + endShare);
    ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
    ASSERT_NO_FATAL_FAILURE(FillInputs(output.Path(), L"png", 0, L"10"));
    PressStart();

    HWND box = WaitForMessageBox(program, 10000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"the screen could not be read: tessilo-screen, which reads it for Tessilo on Linux, is not "
              L"running\n\nstart Tessilo with its menu entry or the tessilo command, which start tessilo-screen first",
              AnswerMessageBox(box, IDOK).text);
    EXPECT_TRUE(FilesIn(output.Path()).empty());
}

}  // namespace
