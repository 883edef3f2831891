#include "prtsc/FrameFileScreen.h"

#include "image/ClipboardGuards.h"
#include "image/HandleOwner.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char kStartAdvice[] = " Start Tessilo with the tessilo command, which starts tessilo-screen before it, or log in to"
                            " an X11 session (for example \"GNOME on Xorg\").";

// A source answers within milliseconds; the keyboard hook waits for the press's answer a little longer.
constexpr ULONGLONG kAnswerBudget = 200;
// Another reader's request may overtake a copy; asked again a few times.
constexpr int kAttempts = 3;

// A moveable block for the picture, locked while it is filled.
class CPictureBlock {
public:
    uint8_t* Allocate(size_t bytes)
    {
        locker.Unlock();
        owner.Reset(GlobalAlloc(GMEM_MOVEABLE, bytes));
        void* bits = nullptr;
        if (owner.Get())
            locker.Lock(owner.Get(), bits);
        return static_cast<uint8_t*>(bits);
    }
    HGLOBAL Release()
    {
        locker.Unlock();
        return owner.Release();
    }

private:
    // Unlocked before it is freed.
    CGlobalOwner owner;
    CGlobalLocker locker;
};

std::string EndedBecause(framefile::EndReason reason)
{
    switch (reason) {
    case framefile::EndReason::ShareStopped:
        return "the screen share ended (stopped from the desktop). Start Tessilo again to share the screen.";
    case framefile::EndReason::SessionClosed:
        return "the desktop closed the screen share. Start Tessilo again to share the screen.";
    case framefile::EndReason::DisplayGone:
        return "the X display that tessilo-screen read went away.";
    case framefile::EndReason::Failed:
        return "tessilo-screen failed; its output says why. Start Tessilo again to share the screen.";
    case framefile::EndReason::Stopped:
    case framefile::EndReason::None:
        break;
    }
    return std::string("tessilo-screen was stopped.") + kStartAdvice;
}

}  // namespace

bool CFrameFileScreen::WaylandSession()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (type && std::string(type) == "wayland");
}

HGLOBAL CFrameFileScreen::Take(std::string& why)
{
    // Opened anew at each press: a new run of tessilo-screen replaces the file.
    if (!frames.Open()) {
        why = std::string("this is a Wayland session and tessilo-screen, which shares its screen, is not running.")
            + kStartAdvice;
        return nullptr;
    }
    CPictureBlock block;
    auto result = framefile::ReadResult::Overtaken;
    for (int attempt = 0; attempt < kAttempts && result == framefile::ReadResult::Overtaken; ++attempt) {
        const ULONGLONG until = GetTickCount64() + kAnswerBudget;
        result = frames.Ask();
        while (result == framefile::ReadResult::Pending && GetTickCount64() < until) {
            Sleep(1);
            result = frames.Poll();
        }
        if (result == framefile::ReadResult::Answered)
            result = frames.Take([&](size_t bytes) { return block.Allocate(bytes); });
    }
    frames.Close();
    switch (result) {
    case framefile::ReadResult::Copied:
        return block.Release();
    case framefile::ReadResult::Waiting:
        why = "tessilo-screen has no picture of the screen yet (is the share still being asked for?).";
        break;
    case framefile::ReadResult::Ended:
        why = EndedBecause(frames.Reason());
        break;
    case framefile::ReadResult::Pending:
    case framefile::ReadResult::Dead:
        why = std::string("tessilo-screen stopped answering: it may have been killed.") + kStartAdvice;
        break;
    case framefile::ReadResult::Overtaken:
        why = "other readers of tessilo-screen's pictures asked for new ones at every attempt.";
        break;
    case framefile::ReadResult::ShortRead:
        why = "tessilo-screen's frame file ended before its picture did (cut short by another program?).";
        break;
    case framefile::ReadResult::NotAFrameFile:
    case framefile::ReadResult::Answered:
    case framefile::ReadResult::NotAsked:
        why = "tessilo-screen's frame file is not one this companion reads (a different version?).";
        break;
    case framefile::ReadResult::NoMemory:
        why = "out of memory for the picture of the screen.";
        break;
    }
    return nullptr;
}
