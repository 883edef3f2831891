#include "image/ScreenDib.h"
#include "prtsc/KeyboardWatch.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Clipboard.h"
#include "tests/support/Companion.h"
#include "tests/support/ScreenCover.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Longer than anything here takes on a loaded machine: only a hang reaches it.
constexpr DWORD kHangMs = 60000;

// The clipboard's CF_DIB as bytes, or nothing when there is none.
std::vector<unsigned char> ClipboardDib()
{
    std::vector<unsigned char> bytes;
    if (!OpenClipboard(nullptr))
        return bytes;
    if (HGLOBAL data = GetClipboardData(CF_DIB)) {
        if (const void* block = GlobalLock(data)) {
            const auto* begin = static_cast<const unsigned char*>(block);
            bytes.assign(begin, begin + GlobalSize(data));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return bytes;
}

// The picture of the whole virtual screen.
size_t ScreenDibSize()
{
    return static_cast<size_t>(
        screendib::PackedSize(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)));
}

std::vector<unsigned char> WaitForClipboardDib(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    std::vector<unsigned char> dib;
    while (dib.empty() && GetTickCount() - start < timeoutMs) {
        PumpFor(20);
        if (IsClipboardFormatAvailable(CF_DIB))
            dib = ClipboardDib();
    }
    return dib;
}

// The companions started while it lives find WAYLAND_DISPLAY set, as on a Wayland session.
class WaylandDisplaySet {
public:
    WaylandDisplaySet() { SetEnvironmentVariableW(L"WAYLAND_DISPLAY", L"wayland-1"); }
    ~WaylandDisplaySet() { SetEnvironmentVariableW(L"WAYLAND_DISPLAY", nullptr); }
    WaylandDisplaySet(const WaylandDisplaySet&) = delete;
    WaylandDisplaySet& operator=(const WaylandDisplaySet&) = delete;
};

size_t PictureOfAPress(DWORD timeoutMs)
{
    if (!EmptyTheClipboard())
        return 0;
    keybd_event(VK_SNAPSHOT, 0, 0, 0);
    return WaitForClipboardDib(timeoutMs).size();
}

TEST(Companion, PrintScreenPutsTheWholeVirtualScreenOnTheClipboardAsAScreenDib)
{
    ChildProcess companion;
    ASSERT_NE(nullptr, StartCompanion(companion));
    ASSERT_TRUE(EmptyTheClipboard());

    keybd_event(VK_SNAPSHOT, 0, 0, 0);
    const std::vector<unsigned char> dib = WaitForClipboardDib(kHangMs);

    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER) + 12);
    BITMAPINFOHEADER header;
    memcpy(&header, dib.data(), sizeof(header));
    const LONG width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const LONG height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    EXPECT_EQ(40u, header.biSize);
    EXPECT_EQ(width, header.biWidth);
    EXPECT_EQ(height, std::abs(header.biHeight));
    EXPECT_EQ(32, header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_BITFIELDS), header.biCompression);
    EXPECT_EQ(ScreenDibSize(), dib.size());

    // Every press gives a new picture, not only the first.
    ASSERT_TRUE(EmptyTheClipboard());
    keybd_event(VK_SNAPSHOT, 0, 0, 0);
    EXPECT_EQ(dib.size(), WaitForClipboardDib(kHangMs).size());
}

// The capture's own rhythm: it opens the clipboard on its next tick, which comes at once when the
// previous one ran late. The clipboard must then be free and hold the picture of this press.
// The companion holds a press for its answer at most CKeyboardWatch::kAnswerTimeoutMs: a press
// that took about that long may have been let go unanswered (a loaded machine), tells nothing
// and is pressed again once its late picture has come.
TEST(Companion, AReaderRightAfterThePressFindsTheClipboardFreeWithThatPressesPicture)
{
    ChildProcess companion;
    ASSERT_NE(nullptr, StartCompanion(companion));
    const size_t expected = ScreenDibSize();
    const DWORD letGo = CKeyboardWatch::kAnswerTimeoutMs * 9 / 10;
    int checked = 0;
    int unanswered = 0;
    const DWORD start = GetTickCount();
    while (checked < 20 && GetTickCount() - start < kHangMs) {
        SCOPED_TRACE(checked);
        const DWORD before = GetClipboardSequenceNumber();
        const DWORD pressedAt = GetTickCount();
        keybd_event(VK_SNAPSHOT, 0, 0, 0);
        if (GetTickCount() - pressedAt >= letGo) {
            ++unanswered;
            while (GetClipboardSequenceNumber() == before && GetTickCount() - start < kHangMs)
                PumpFor(20);
            continue;
        }
        ASSERT_NE(before, GetClipboardSequenceNumber()) << "the press returned before the picture was announced";
        ASSERT_TRUE(OpenClipboard(nullptr));
        HGLOBAL data = GetClipboardData(CF_DIB);
        const SIZE_T size = data ? GlobalSize(data) : 0;
        CloseClipboard();
        ASSERT_EQ(expected, size);
        ++checked;
    }
    EXPECT_EQ(20, checked) << "in a minute the companion answered only " << checked << " presses within "
                           << CKeyboardWatch::kAnswerTimeoutMs << " ms; " << unanswered << " were let go";
}

// There XWayland lets no X client read the screen and a grab comes out black whatever is shown:
// without tessilo-screen's share no picture is placed, not even of a screen a grab could read.
TEST(Companion, OnAWaylandSessionWithoutTheScreenShareNoPictureIsPlaced)
{
    WaylandDisplaySet wayland;
    ScreenCover green(RGB(0, 176, 0));
    ChildProcess companion;
    ASSERT_NE(nullptr, StartCompanion(companion));
    EXPECT_EQ(0u, PictureOfAPress(1000));
    EXPECT_EQ(0u, PictureOfAPress(1000));
}

TEST(Companion, OnAnX11DesktopABlackScreenIsAPictureLikeAnyOther)
{
    ScreenCover black(RGB(0, 0, 0));
    ChildProcess companion;
    ASSERT_NE(nullptr, StartCompanion(companion));
    EXPECT_EQ(ScreenDibSize(), PictureOfAPress(kHangMs));
}

TEST(Companion, APictureNobodyReadYetOutlivesTheCompanion)
{
    ChildProcess companion;
    HWND window = StartCompanion(companion);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(EmptyTheClipboard());
    keybd_event(VK_SNAPSHOT, 0, 0, 0);

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(0u, companion.WaitForExit(5000));
    EXPECT_EQ(ScreenDibSize(), ClipboardDib().size());
}

TEST(Companion, RunsOnceAtATimeAndEndsWithExitCode0WhenItsWindowIsClosed)
{
    ChildProcess first;
    HWND window = StartCompanion(first);
    ASSERT_NE(nullptr, window);

    ChildProcess second;
    ASSERT_TRUE(second.Start(L"tessilo-prtsc.exe"));
    EXPECT_EQ(1u, second.WaitForExit(5000));
    EXPECT_EQ(STILL_ACTIVE, first.WaitForExit(0));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, first.WaitForExit(5000));

    // The first one's end frees the place for a new one.
    ChildProcess third;
    EXPECT_NE(nullptr, StartCompanion(third));
}

TEST(Companion, HelpSaysWhatItIsForAndExits)
{
    ChildProcess companion;
    ASSERT_TRUE(companion.Start(L"tessilo-prtsc.exe", L"--help"));
    EXPECT_EQ(0u, companion.WaitForExit(5000));
    EXPECT_EQ(nullptr, WaitForCompanionWindow(companion, 0));
}

}  // namespace
