// The capture object driven through its window interface on a clock of the test's own: the
// pictures of its presses placed on the clipboard here, its files written by its real workers.
#include "app/ResourceString.h"
#include "capture/Capture.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Clipboard.h"
#include "tests/support/Files.h"
#include "tests/support/PressPictures.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

class TestHost : public ICaptureHost {
public:
    explicit TestHost(HWND window) : window(window) {}

    HWND Window() const override { return window; }
    void ArmTimer(UINT ms) override { armed.push_back(ms); }
    void StopTimer() override { armed.push_back(0); }
    uint64_t NowMs() const override { return now; }
    void Minimise() override { minimised = true; }
    bool IsMinimised() const override { return minimised; }
    void ShowNormal() override { minimised = false; }
    void ShowError(const std::wstring& text) override { errors.push_back(text); }
    void ShowNextStartNumber(int64_t value) override { next = value; }
    void PostFilesWritten() override { ++notices; }

    HWND window;
    uint64_t now = 1000;
    bool minimised = false;
    std::vector<UINT> armed;
    std::vector<std::wstring> errors;
    int64_t next = -1;
    std::atomic<int> notices{0};
};

class CaptureObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(presses.Installed());
        settings.folderHistory.Push(output.Path());
        settings.specHistory.Push(L"shot");
        settings.seqWidth = 4;
        settings.ext = L"bmp";
        settings.startNumber = 0;
        settings.refreshRate = 1000;
    }

    // Started, prepared, minimised and pressed once: the capture's rhythm begins at host.now.
    void StartCapturing()
    {
        capture.Start(settings);
        ASSERT_TRUE(presses.Place(picture));
        capture.OnTick();
        ASSERT_EQ(CaptureState::WaitingForFirstPress, capture.State());
        ASSERT_TRUE(host.minimised);
        capture.OnTick();
        ASSERT_EQ(CaptureState::Capturing, capture.State());
    }

    // The tick of the next due moment, `late` ms after it.
    void TickAfter(uint32_t late)
    {
        host.now += host.armed.back() + late;
        capture.OnTick();
    }

    // Real time for the workers, as the interval between two ticks gives them.
    void WaitForFiles(int64_t count)
    {
        const DWORD start = GetTickCount();
        while (capture.SavedCount() < count && GetTickCount() - start < 10000)
            Sleep(5);
    }

    ClipboardOwner clipboard;
    PressPictures presses{clipboard};
    TestFolder output;
    TestHost host{clipboard.Window()};
    CaptureSettings settings;
    CCapture capture{host};
    const std::string picture = MakeScreenDib(64, 48, false);
};

TEST_F(CaptureObject, APictureThatComesLateCostsOnlyItsLatenessNotAWholeInterval)
{
    ASSERT_NO_FATAL_FAILURE(StartCapturing());
    TickAfter(0);
    ASSERT_EQ(100u, host.armed.back());
    // The next press brings nothing at first: the tick looks again in short steps.
    ASSERT_TRUE(presses.Place(""));
    TickAfter(0);
    TickAfter(0);
    ASSERT_EQ(10u, host.armed.back());
    const int pressed = presses.Presses();
    // 13 ms late, the picture comes; the clipboard's notice takes it at once, and the next due
    // moment is the grid's.
    host.now += 13;
    ASSERT_TRUE(presses.Place(picture));
    capture.OnClipboardUpdate();
    EXPECT_EQ(pressed + 1, presses.Presses());
    EXPECT_EQ(87u, host.armed.back());
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(CaptureObject, TheRestoreWritesEveryPictureTakenAndSaysWhenTheRateWasNotKept)
{
    const struct {
        const char* what;
        uint32_t late;  // every tick
        bool kept;
    } cases[] = {{"on time", 0, true}, {"each tick a whole interval late", 100, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveTree(output.Path());
        CreateDirectoryW(output.Path().c_str(), nullptr);
        ASSERT_NO_FATAL_FAILURE(StartCapturing());
        for (int i = 0; i < 40; ++i) {
            TickAfter(c.late);
            WaitForFiles(i + 1);
        }
        EXPECT_EQ(0, capture.SkippedMoments());
        host.now += 50;
        ASSERT_TRUE(capture.EndByRestore());
        // Written before the question, in order, and the next number after the last of them.
        EXPECT_EQ(40, capture.SavedCount());
        EXPECT_EQ(40u, FilesIn(output.Path()).size());
        EXPECT_EQ(40, host.next);
        EXPECT_EQ(CaptureState::Idle, capture.State());
        bool error = true;
        const std::wstring text = capture.EndText(error);
        EXPECT_FALSE(error);
        const std::wstring ended = ResourceString(IDS_CAPTURE_ENDED);
        if (c.kept) {
            EXPECT_EQ(ended, text);
        } else {
            // 40 files in 8.05 s against 80 due.
            EXPECT_EQ(0u, text.find(L"40 files were saved, 4.97 per second against the 10.00 per second asked"))
                << std::string(text.begin(), text.end());
            EXPECT_EQ(ended, text.substr(text.size() - ended.size()));
        }
        EXPECT_FALSE(capture.EndByRestore()) << "a second restore found a capture to end";
        host.minimised = false;
    }
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(CaptureObject, WhenTheWorkersFallBehindMomentsAreSkippedWithoutAGapInTheNumbers)
{
    settings.ext = L"png";
    ASSERT_NO_FATAL_FAILURE(StartCapturing());
    // Ticks with no time between them: the window's thread never waits for a buffer.
    for (int i = 0; i < 40; ++i)
        TickAfter(0);
    EXPECT_GT(capture.SkippedMoments(), 0);
    ASSERT_TRUE(capture.EndByRestore());
    EXPECT_EQ(40, capture.SavedCount() + capture.SkippedMoments());
    const std::vector<std::wstring> names = FilesIn(output.Path());
    ASSERT_EQ(static_cast<size_t>(capture.SavedCount()), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        wchar_t name[32];
        _snwprintf(name, 32, L"shot%04d.png", static_cast<int>(i));
        EXPECT_EQ(name, names[i]);
    }
}

}  // namespace
