// The capture object driven through its window interface on a clock of the test's own: the
// pictures of its presses placed on the clipboard here, its files written by its real workers.
#include "app/ResourceString.h"
#include "capture/Capture.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Clipboard.h"
#include "tests/support/Files.h"
#include "tests/support/FreeSpaceLook.h"
#include "tests/support/ImportHook.h"
#include "tests/support/PressPictures.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <utility>
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

// The files of a sequence from 0 without a gap, `count` of them.
std::vector<std::wstring> Shots(int count, const wchar_t* ext = L"bmp")
{
    std::vector<std::wstring> names;
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        _snwprintf(name, 32, L"shot%04d.%ls", i, ext);
        names.push_back(name);
    }
    return names;
}

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
    FreeSpaceLook freeSpace;
    ASSERT_TRUE(freeSpace.Installed());
    const HANDLE letGo = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, letGo);
    settings.ext = L"png";
    ASSERT_NO_FATAL_FAILURE(StartCapturing());
    // The next file's write waits after its look at the free space, and every file after it waits
    // its turn: once every buffer is on its way, the window's thread skips the moment rather than
    // waiting for one.
    freeSpace.AfterNextLook([letGo] { WaitForSingleObject(letGo, 10000); });
    for (int i = 0; i < 40; ++i)
        TickAfter(0);
    SetEvent(letGo);
    EXPECT_GT(capture.SkippedMoments(), 0);
    const bool ended = capture.EndByRestore();
    CloseHandle(letGo);
    ASSERT_TRUE(ended);
    EXPECT_GT(capture.SavedCount(), 0);
    EXPECT_EQ(40, capture.SavedCount() + capture.SkippedMoments());
    EXPECT_EQ(Shots(static_cast<int>(capture.SavedCount()), L"png"), FilesIn(output.Path()));
}

// A copy of the user's replaces the press's picture, at a fast rate and at a slow one, where the
// picture waits long on the clipboard: that moment has no file, the capture goes on with the next
// number, and the end does not blame the machine for it.
TEST_F(CaptureObject, TextCopiedOverAPressesPictureCostsThatPictureOnly)
{
    for (const int rate : {1000, 50}) {
        SCOPED_TRACE(rate);
        RemoveTree(output.Path());
        CreateDirectoryW(output.Path().c_str(), nullptr);
        settings.refreshRate = rate;
        ASSERT_NO_FATAL_FAILURE(StartCapturing());
        TickAfter(0);
        ASSERT_NE(0u, clipboard.Place(CF_UNICODETEXT, std::wstring(L"copied\0")));
        const int pressed = presses.Presses();
        TickAfter(0);
        EXPECT_EQ(1, capture.DisplacedPictures());
        EXPECT_EQ(pressed + 1, presses.Presses()) << "not pressed again";
        TickAfter(0);
        TickAfter(0);
        ASSERT_TRUE(capture.EndByRestore());
        EXPECT_TRUE(host.errors.empty()) << std::string(host.errors[0].begin(), host.errors[0].end());
        EXPECT_EQ(Shots(3), FilesIn(output.Path()));
        bool error = true;
        EXPECT_EQ(ResourceString(IDS_CAPTURE_ENDED), capture.EndText(error));
        host.minimised = false;
    }
}

// Something that puts its own content back over every picture is no user's copy: after the
// wait a press may take, the capture ends as when no picture comes. A clipboard left empty holds
// no copy of anyone's either: that is the clipboard failing.
TEST_F(CaptureObject, EveryPictureReplacedEndsWith151AndAnEmptiedClipboardWith131)
{
    ASSERT_NO_FATAL_FAILURE(StartCapturing());
    ASSERT_TRUE(presses.Place(""));
    TickAfter(0);
    for (int i = 0; i < 20 && host.errors.empty(); ++i) {
        ASSERT_NE(0u, clipboard.Place(CF_UNICODETEXT, std::wstring(L"put back\0")));
        TickAfter(0);
    }
    ASSERT_EQ(1u, host.errors.size());
    EXPECT_EQ(ResourceString(IDS_ERR_NO_NEW_PICTURE), host.errors[0]);
    EXPECT_EQ(10, capture.DisplacedPictures());

    host.errors.clear();
    host.minimised = false;
    ASSERT_NO_FATAL_FAILURE(StartCapturing());
    ASSERT_TRUE(EmptyTheClipboard());
    TickAfter(0);
    ASSERT_EQ(1u, host.errors.size());
    EXPECT_EQ(ResourceString(IDS_ERR_COPY_CLIPBOARD), host.errors[0]);
}

// Locked, switched away from or asleep: nothing is pressed or saved, and once the screen is seen
// again the capture goes on at once with a fresh press and the next number, without a burst.
TEST_F(CaptureObject, AScreenNobodySeesPausesTheCaptureAndItGoesOnWithTheNextNumber)
{
    ASSERT_NO_FATAL_FAILURE(StartCapturing());
    TickAfter(0);
    WaitForFiles(1);
    capture.OnScreenSeen(false);
    const int pressed = presses.Presses();
    for (int i = 0; i < 50; ++i)
        TickAfter(0);
    EXPECT_EQ(pressed, presses.Presses());
    EXPECT_EQ(1, capture.SavedCount());

    capture.OnScreenSeen(true);
    EXPECT_EQ(1u, host.armed.back()) << "the capture waits an interval to go on";
    TickAfter(0);
    EXPECT_EQ(pressed + 1, presses.Presses());
    for (int i = 0; i < 3; ++i)
        TickAfter(0);
    WaitForFiles(4);
    host.now += 50;
    ASSERT_TRUE(capture.EndByRestore());
    EXPECT_EQ(Shots(4), FilesIn(output.Path()));
    bool error = true;
    EXPECT_EQ(ResourceString(IDS_CAPTURE_ENDED), capture.EndText(error)) << "the pause counted as a shortfall";
    EXPECT_TRUE(host.errors.empty());
}

// What the capture asked of Windows' power management: SetThreadExecutionState's flags, and the
// execution-speed throttling it asked to control (1) or left to Windows (0).
std::vector<std::string> g_power;
const void* g_getProcAddress = nullptr;

EXECUTION_STATE WINAPI NoteExecutionState(EXECUTION_STATE flags)
{
    g_power.push_back("state " + std::to_string(flags));
    return ES_CONTINUOUS;
}

BOOL WINAPI NoteProcessInformation(HANDLE, PROCESS_INFORMATION_CLASS kind, LPVOID information, DWORD size)
{
    PROCESS_POWER_THROTTLING_STATE state = {};
    if (kind == ProcessPowerThrottling && size == sizeof state)
        std::memcpy(&state, information, sizeof state);
    g_power.push_back("throttling " + std::to_string(state.ControlMask) + "/" + std::to_string(state.StateMask));
    return TRUE;
}

FARPROC WINAPI FindNoting(HMODULE module, LPCSTR name)
{
    if (HIWORD(name) && std::strcmp(name, "SetProcessInformation") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&NoteProcessInformation));
    return reinterpret_cast<decltype(&GetProcAddress)>(g_getProcAddress)(module, name);
}

// Windows counts no screen recording as activity, and runs a minimised window's process slowly:
// from the first press the capture keeps the display on and the process at full speed, and every
// end gives both back.
TEST_F(CaptureObject, ACaptureKeepsTheDisplayOnAndFullSpeedUntilEachOfItsEnds)
{
    ImportHook state{"kernel32.dll", "SetThreadExecutionState", reinterpret_cast<const void*>(&NoteExecutionState)};
    ImportHook find{"kernel32.dll", "GetProcAddress", reinterpret_cast<const void*>(&FindNoting)};
    ASSERT_TRUE(state.Installed() && find.Installed());
    g_getProcAddress = find.Original();
    const std::string held = "state " + std::to_string(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    const std::string released = "state " + std::to_string(ES_CONTINUOUS);
    const std::vector<std::pair<const char*, std::function<void()>>> ends = {
        {"restore", [&] { capture.EndByRestore(); }},
        {"close", [&] { capture.Close(); }},
        {"no picture", [&] {
             presses.Place("");
             for (int i = 0; i < 200 && host.errors.empty(); ++i)
                 TickAfter(0);
             EXPECT_EQ(1u, host.errors.size());
         }},
    };
    for (const auto& end : ends) {
        SCOPED_TRACE(end.first);
        g_power.clear();
        capture.Start(settings);
        ASSERT_TRUE(presses.Place(picture));
        capture.OnTick();
        EXPECT_TRUE(g_power.empty()) << "asked before the capture began";
        capture.OnTick();
        EXPECT_EQ((std::vector<std::string>{held, "throttling 1/0"}), g_power);
        end.second();
        EXPECT_EQ((std::vector<std::string>{held, "throttling 1/0", released, "throttling 0/0"}), g_power);
        host.minimised = false;
        host.errors.clear();
    }
}

}  // namespace
