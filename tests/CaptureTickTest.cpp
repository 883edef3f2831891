// A running capture on this thread, with the pictures of its presses placed on the clipboard by
// the test: what the timer is asked for at both ends of the save rate, the wait for the desktop's
// minimise animation, a window restored some other way than from the taskbar, and the answer to
// the question at the end. What the product
// asks of the system is seen through the program's own import table (ImportHook).
#include "tests/support/ChildProcess.h"
#include "tests/support/Clipboard.h"
#include "tests/support/Files.h"
#include "tests/support/ImportHook.h"
#include "tests/support/CaptureFixture.h"
#include "capture/MinimiseAnimation.h"
#include "tests/support/ModalProbe.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <wtsapi32.h>

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {


// SetTimer as the product calls it: noted, then passed on.
struct TimerRequest {
    HWND window;
    UINT interval;
    DWORD at;
};
std::vector<TimerRequest> g_timerRequests;
const void* g_setTimer = nullptr;

UINT_PTR WINAPI NoteSetTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC proc)
{
    g_timerRequests.push_back({window, interval, GetTickCount()});
    return reinterpret_cast<decltype(&SetTimer)>(g_setTimer)(window, id, interval, proc);
}

// The product's PrtSc presses: each noted, and a picture that carries its press's number in its
// first byte put on the clipboard, as the system puts the screen there.
std::vector<DWORD> g_pressTimes;
const ClipboardOwner* g_pressClipboard = nullptr;

void WINAPI NotePress(BYTE key, BYTE, DWORD, ULONG_PTR)
{
    if (key != VK_SNAPSHOT || !g_pressClipboard)
        return;
    g_pressTimes.push_back(GetTickCount());
    std::string picture = MakeScreenDib(64, 48, false);
    picture[52] = static_cast<char>(g_pressTimes.size());
    g_pressClipboard->Place(CF_DIB, picture);
}

// ShellExecuteW as the product calls it: noted, and nothing is opened. Any value above 32 is the
// shell's success.
struct ShellRequest {
    std::wstring verb;
    std::wstring file;
    std::wstring parameters;
    INT show;
};
std::vector<ShellRequest> g_shellRequests;
HINSTANCE g_shellResult = nullptr;

HINSTANCE WINAPI NoteShellExecute(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT show)
{
    g_shellRequests.push_back({verb ? verb : L"", file ? file : L"", parameters ? parameters : L"", show});
    return g_shellResult;
}

// Counts the ticks of one window's timers as the message loop takes them.
class TimerTicks {
public:
    explicit TimerTicks(HWND window)
    {
        watched = window;
        count = 0;
        hook = SetWindowsHookExW(WH_GETMESSAGE, Hook, nullptr, GetCurrentThreadId());
    }
    ~TimerTicks() { UnhookWindowsHookEx(hook); }
    TimerTicks(const TimerTicks&) = delete;
    TimerTicks& operator=(const TimerTicks&) = delete;

    int Count() const { return count; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM removed, LPARAM lParam)
    {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && removed == PM_REMOVE && msg->message == WM_TIMER && msg->hwnd == watched)
            ++count;
        return CallNextHookEx(nullptr, code, removed, lParam);
    }

    // The hook procedure has no context of its own: one counter at a time.
    static HWND watched;
    static int count;
    HHOOK hook;
};
HWND TimerTicks::watched = nullptr;
int TimerTicks::count = 0;

std::wstring ShotName(int number)
{
    wchar_t name[32];
    _snwprintf(name, 32, L"shot%04d.bmp", number);
    return name;
}

class CaptureTick : public CaptureFixture {
protected:
    void SetUp() override
    {
        CaptureFixture::SetUp();
        AnswerWith(IDNO);
        g_timerRequests.clear();
        g_shellRequests.clear();
        g_shellResult = reinterpret_cast<HINSTANCE>(42);
        g_setTimer = setTimer.Original();
        ASSERT_TRUE(setTimer.Installed());
        ASSERT_TRUE(shellExecute.Installed());
    }

    // Starts a BMP capture at this rate; the picture placed right after Start stands for the one
    // its PrtSc press would put there.
    void Start(const std::wstring& folder, const std::wstring& rate, const std::wstring& start = L"0")
    {
        ClickStart(folder, 3, rate, start);
        ASSERT_NE(0u, dialog->timerId) << "the capture did not start";
        ASSERT_TRUE(presses.Place(MakeScreenDib(64, 48, false)));
    }

    // Runs until the preparation is done and the window minimised.
    void RunUntilPrepared()
    {
        const DWORD start = GetTickCount();
        while (dialog->capture.State() != CaptureState::WaitingForFirstPress && GetTickCount() - start < kHangMs)
            PumpFor(10);
        ASSERT_TRUE(dialog->capture.State() == CaptureState::WaitingForFirstPress && dialog->IsIconic())
            << "the capture was not prepared in a minute";
    }

    // Ends the capture as the taskbar does and waits for the question to be answered.
    void RestoreFromTaskbar()
    {
        dialog->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        const DWORD start = GetTickCount();
        while (answerer->Shown().empty() && GetTickCount() - start < kHangMs)
            PumpFor(10);
        ASSERT_FALSE(answerer->Shown().empty()) << "no question in a minute";
    }

    // Minimised again, the capture goes on: two more files, every name of the sequence in order.
    void MinimiseAndExpectTheSequenceGoesOn()
    {
        const size_t saved = FilesIn(output.Path()).size();
        dialog->ShowWindow(SW_MINIMIZE);
        ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), saved + 2));
        dialog->KillCaptureTimer();
        const std::vector<std::wstring> names = FilesIn(output.Path());
        for (size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(ShotName(static_cast<int>(i)), names[i]);
    }

    // The interval the dialog asked of its last timer.
    UINT LastInterval() const
    {
        for (auto request = g_timerRequests.rbegin(); request != g_timerRequests.rend(); ++request) {
            if (request->window == dialog->m_hWnd)
                return request->interval;
        }
        return 0;
    }

    ImportHook setTimer{"user32.dll", "SetTimer", reinterpret_cast<const void*>(&NoteSetTimer)};
    ImportHook shellExecute{"shell32.dll", "ShellExecuteW", reinterpret_cast<const void*>(&NoteShellExecute)};
};

TEST_F(CaptureTick, TheTimerRunsAtTheSaveRateAtBothEndsOfItsRange)
{
    const struct {
        const wchar_t* rate;
        UINT interval;
    } cases[] = {{L"0.01", 100000}, {L"0.02", 50000}, {L"49.99", 20}, {L"50", 20}};
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        // A folder of its own: a quick capture's files must not be offered for overwriting.
        ASSERT_NO_FATAL_FAILURE(Start(output.File(std::to_wstring(index++)), c.rate));
        EXPECT_EQ(100u, LastInterval()) << "the preparation ticks";
        ASSERT_NO_FATAL_FAILURE(RunUntilPrepared());
        // The first press waits for the minimise animation; the next at the save rate.
        EXPECT_EQ(std::max(c.interval, kDesktopMinimiseMs), LastInterval());
        if (c.interval < kDesktopMinimiseMs) {
            const DWORD start = GetTickCount();
            while (dialog->capture.State() != CaptureState::Capturing && GetTickCount() - start < kHangMs)
                PumpFor(10);
            // One interval after the first press, less the time that press took.
            EXPECT_LE(LastInterval(), c.interval);
            EXPECT_GT(LastInterval(), 0u);
        }
        dialog->KillCaptureTimer();
        dialog->ShowWindow(SW_RESTORE);
    }
    EXPECT_TRUE(answerer->Shown().empty());
}

TEST_F(CaptureTick, TheFirstFileHoldsTheFirstPressAfterTheMinimiseAnimation)
{
    ImportHook press{"user32.dll", "keybd_event", reinterpret_cast<const void*>(&NotePress)};
    ASSERT_TRUE(press.Installed());
    g_pressTimes.clear();
    g_pressClipboard = &clipboard;
    ClickStart(output.Path(), 3, L"50");
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), 2));
    dialog->KillCaptureTimer();
    g_pressClipboard = nullptr;

    // Press 1 is the Start command's; the minimise came with the timer asked for the animation.
    ASSERT_GE(g_pressTimes.size(), 3u);
    const auto minimised = std::find_if(g_timerRequests.begin(), g_timerRequests.end(),
                                        [](const TimerRequest& r) { return r.interval == kDesktopMinimiseMs; });
    ASSERT_NE(g_timerRequests.end(), minimised);
    // GetTickCount moves in steps of the system clock's tick.
    EXPECT_GE(g_pressTimes[1] - minimised->at + 20, kDesktopMinimiseMs) << "pressed while the window went away";

    // No press of its own: the numbers start at the start number, with the first press after
    // the minimise.
    const std::vector<std::wstring> names = FilesIn(output.Path());
    for (size_t i = 0; i < 2; ++i) {
        ASSERT_EQ(ShotName(static_cast<int>(i)), names[i]);
        const std::string file = output.Read(names[i]);
        ASSERT_GT(file.size(), 66u);
        EXPECT_EQ(i + 2, static_cast<unsigned char>(file[66])) << "the picture of another press";
    }
    EXPECT_TRUE(answerer->Shown().empty());
}

TEST_F(CaptureTick, AWindowRestoredSomeOtherWayPausesTheCaptureUntilItIsMinimisedAgain)
{
    ASSERT_NO_FATAL_FAILURE(Start(output.Path(), L"10"));
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), 2));

    // As a window list or Alt+Tab may bring it back: no SC_RESTORE, so the capture is not ended.
    dialog->ShowWindow(SW_RESTORE);
    ASSERT_FALSE(dialog->IsIconic());
    const size_t saved = FilesIn(output.Path()).size();
    {
        TimerTicks ticks(dialog->m_hWnd);
        const DWORD start = GetTickCount();
        while (ticks.Count() < 3 && GetTickCount() - start < kHangMs)
            PumpFor(10);
        ASSERT_GE(ticks.Count(), 3) << "the timer did not tick in a minute";
    }
    EXPECT_EQ(saved, FilesIn(output.Path()).size()) << "a tick saved a picture while the window was shown";
    EXPECT_TRUE(answerer->Shown().empty());
    EXPECT_FALSE(dialog->IsIconic());

    ASSERT_NO_FATAL_FAILURE(MinimiseAndExpectTheSequenceGoesOn());
    EXPECT_TRUE(answerer->Shown().empty());
}

// As Windows tells the window: the screen locked, switched to another user, or the machine
// asleep, and then seen again. Nothing is saved meanwhile, and the sequence goes on without a gap.
TEST_F(CaptureTick, ALockedSwitchedOrSleepingScreenPausesTheCaptureUntilItIsSeenAgain)
{
    const struct {
        const char* what;
        UINT message;
        WPARAM hide;
        WPARAM show;
    } cases[] = {{"lock", WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK},
                 {"switch", WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, WTS_CONSOLE_CONNECT},
                 {"sleep", WM_POWERBROADCAST, PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC}};
    ASSERT_NO_FATAL_FAILURE(Start(output.Path(), L"20"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), FilesIn(output.Path()).size() + 2));
        dialog->SendMessage(c.message, c.hide, 0);
        // A picture already taken may still be on its way to the disk.
        PumpFor(200);
        const size_t saved = FilesIn(output.Path()).size();
        {
            TimerTicks ticks(dialog->m_hWnd);
            const DWORD start = GetTickCount();
            while (ticks.Count() < 5 && GetTickCount() - start < kHangMs)
                PumpFor(10);
        }
        EXPECT_EQ(saved, FilesIn(output.Path()).size()) << "saved while nobody could see the screen";
        dialog->SendMessage(c.message, c.show, 0);
        ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), saved + 2));
    }
    dialog->KillCaptureTimer();
    const std::vector<std::wstring> names = FilesIn(output.Path());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(ShotName(static_cast<int>(i)), names[i]);
    EXPECT_TRUE(answerer->Shown().empty());
}

TEST_F(CaptureTick, OnlyYesToTheQuestionAtTheEndAsksTheShellToOpenTheOutputFolder)
{
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
        // One answerer at a time: the hook serves the newest only.
        answerer.reset();
        answerer = std::make_unique<MessageBoxAnswerer>(answer);
        const std::wstring folder = output.File(answer == IDYES ? L"yes" : L"no");
        ASSERT_NO_FATAL_FAILURE(Start(folder, L"10"));
        ASSERT_NO_FATAL_FAILURE(RunUntilFiles(folder, 1));
        ASSERT_NO_FATAL_FAILURE(RestoreFromTaskbar());
        PumpFor(100);
        ASSERT_EQ(1u, answerer->Shown().size()) << "an error followed the question";
        EXPECT_EQ(L"Capture is ended. Open the output folder?", answerer->Shown()[0].text);
        if (answer == IDNO) {
            EXPECT_TRUE(g_shellRequests.empty());
            continue;
        }
        ASSERT_EQ(1u, g_shellRequests.size());
        EXPECT_EQ(L"", g_shellRequests[0].verb) << "the default verb";
        EXPECT_EQ(folder, g_shellRequests[0].file);
        EXPECT_EQ(L"", g_shellRequests[0].parameters);
        EXPECT_EQ(SW_SHOWNORMAL, g_shellRequests[0].show);
    }
}

TEST_F(CaptureTick, TheRestoreWritesThePicturesTakenAndTheStartNumberBoxGainsTheNumberAfterThem)
{
    // At the highest rate, so that pictures are on their way when the window comes back.
    const auto captureAndRestore = [this](const std::wstring& folder, const std::wstring& start) {
        AnswerWith(IDNO);
        dialog->ShowWindow(SW_SHOWNORMAL);
        const size_t before = FilesIn(folder).size();
        if (start.empty())
            dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        else
            ClickStart(folder, 3, L"50", start);
        ASSERT_TRUE(presses.Place(MakeScreenDib(64, 48, false)));
        ASSERT_NO_FATAL_FAILURE(RunUntilFiles(folder, before + 3));
        ASSERT_NO_FATAL_FAILURE(RestoreFromTaskbar());
        const size_t files = FilesIn(folder).size();
        EXPECT_EQ(static_cast<int64_t>(files - before), dialog->capture.SavedCount());
        PumpFor(100);
        EXPECT_EQ(files, FilesIn(folder).size()) << "a file came after the question";
    };
    // Past the 32-bit range, the number after the last file does not wrap.
    ASSERT_NO_FATAL_FAILURE(captureAndRestore(output.File(L"a"), std::to_wstring(INT32_MAX)));
    EXPECT_EQ(3, Count(IDC_START_NUMBER));
    EXPECT_EQ(std::to_wstring(int64_t{INT32_MAX} + dialog->capture.SavedCount()), ItemText(IDC_START_NUMBER, 2));

    ASSERT_NO_FATAL_FAILURE(captureAndRestore(output.File(L"b"), L"100"));
    const int64_t next = 100 + dialog->capture.SavedCount();
    EXPECT_EQ(std::to_wstring(next), ItemText(IDC_START_NUMBER, 2));
    // A capture from the number shown replaces it, and it stays selected.
    SelectItem(IDC_START_NUMBER, 2);
    ASSERT_NO_FATAL_FAILURE(captureAndRestore(output.File(L"b"), L""));
    EXPECT_EQ(3, Count(IDC_START_NUMBER));
    EXPECT_EQ(std::to_wstring(next + dialog->capture.SavedCount()), ItemText(IDC_START_NUMBER, 2));
    EXPECT_EQ(2, Selection(IDC_START_NUMBER));
}

TEST_F(CaptureTick, EveryBoxOfTheDialogEndsAPreparingCaptureBeforeItsLoopCanRunATick)
{
    // Boxes stay open until the probe closes them.
    answerer.reset();
    const struct {
        const char* what;
        int command;
        const wchar_t* folder;  // typed after the Start; null leaves the box as it is
        int shellResult;
    } cases[] = {
        {"a refused Start", IDOK, L"", 42},
        {"About", ID_APP_ABOUT, nullptr, 42},
        {"Select by Dialog", ID_SELECT_FOLDER, nullptr, 42},
        {"Open's error", ID_OPEN_FOLDER, L"C:\\missing", 2},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Start(output.File(std::to_wstring(index++)), L"10"));
        if (c.folder)
            SetEditText(IDC_FOLDER, c.folder);
        g_shellResult = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(c.shellResult));
        SetActiveWindow(dialog->m_hWnd);
        ModalProbe probe(dialog->m_hWnd, [&](HWND box) {
            // Several preparation intervals inside the box's own loop.
            PumpFor(400);
            EXPECT_EQ(0, dialog->capture.PrepareAttempts()) << "a preparation tick ran under the box";
            EXPECT_FALSE(dialog->IsIconic());
            PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        });
        dialog->SendMessage(WM_COMMAND, MAKEWPARAM(c.command, BN_CLICKED), 0);
        EXPECT_TRUE(probe.Inspected()) << "no box";
        // Back to idle, not half in a capture: nothing prepares or minimises afterwards.
        PumpFor(300);
        EXPECT_EQ(0u, dialog->timerId);
        EXPECT_EQ(CaptureState::Idle, dialog->capture.State());
        EXPECT_FALSE(dialog->IsIconic());
    }
}

TEST_F(CaptureTick, ABoxOverARunningCapturePausesItAndItGoesOnWhenTheBoxCloses)
{
    ASSERT_NO_FATAL_FAILURE(Start(output.Path(), L"10"));
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), 2));
    // Shown some other way than from the taskbar, the window offers its buttons.
    dialog->ShowWindow(SW_RESTORE);
    // About is owned by the active window.
    SetActiveWindow(dialog->m_hWnd);
    answerer.reset();
    ModalProbe probe(dialog->m_hWnd, [&](HWND box) {
        EXPECT_EQ(0u, dialog->timerId);
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, BN_CLICKED), 0);
    EXPECT_TRUE(probe.Inspected());
    EXPECT_NE(0u, dialog->timerId);
    answerer = std::make_unique<MessageBoxAnswerer>(IDNO);
    MinimiseAndExpectTheSequenceGoesOn();
}

}  // namespace
