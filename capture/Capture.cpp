#include "capture/Capture.h"

#include "app/ResourceString.h"
#include "capture/MinimiseAnimation.h"
#include "res/resource.h"
#include "ui/ByteSize.h"

#include <algorithm>
#include <thread>

namespace {

constexpr int kPrepareAttempts = 10;
constexpr UINT kPrepareIntervalMs = 100;
// A copy of the user's now and then costs a picture; this many in a row is something else.
constexpr int kDisplacedInARow = 3;

}  // namespace

CCapture::CCapture(ICaptureHost& host) : host(host) {}

CCapture::~CCapture()
{
    // The window is gone: only the workers are stopped, what they had not written is dropped.
    pipeline.reset();
}

void CCapture::Start(const CaptureSettings& startSettings)
{
    // A Start during a capture begins anew; what the old one took is still written.
    if (pipeline)
        pipeline->Drain();
    Finish();
    settings = startSettings;
    prepareAttempts = 0;
    pressed = false;
    saved = 0;
    skipped = 0;
    displaced = 0;
    displacedInARow = 0;
    dueFiles = 0;
    endError.clear();
    // Chosen at each Start: the PrtSc key's setting may have changed since the last.
    pictures = ChooseScreenPictures();
    pictures->Begin(host.Window());
    state = CaptureState::Preparing;
    host.ArmTimer(kPrepareIntervalMs);
}

void CCapture::OnTick()
{
    switch (state) {
    case CaptureState::Preparing:
        Prepare();
        break;
    case CaptureState::WaitingForFirstPress:
        FirstPress();
        break;
    case CaptureState::Capturing:
        TakePicture();
        break;
    default:
        break;
    }
}

void CCapture::Prepare()
{
    size_t bytes = 0;
    const bool ready = pictures->Prepare(bytes);
    ++prepareAttempts;
    if (ready) {
        host.StopTimer();
        try {
            const int workers = FrameWorkers(std::thread::hardware_concurrency());
            files = std::make_unique<CCaptureFiles>(settings, workers, host);
            pipeline = std::make_unique<CFramePipeline>(*files, workers, FramePoolSize(workers, bytes), bytes);
        } catch (const std::exception&) {
            // No memory or no thread for the workers: the capture cannot run.
            Finish();
            host.ShowError(ResourceString(IDS_ERR_PREPARE_CAPTURE));
            return;
        }
        const UINT animation = SuppressMinimiseAnimation(host.Window());
        host.Minimise();
        state = CaptureState::WaitingForFirstPress;
        // The first press waits until the window has left the screen.
        host.ArmTimer(std::max(Interval(), animation));
        return;
    }
    if (prepareAttempts < kPrepareAttempts)
        return;
    const std::wstring text = pictures->FaultText(PictureFault::NoFirstPicture);
    Finish();
    host.ShowError(text);
}

void CCapture::FirstPress()
{
    // Restored some other way, or a screen nobody sees: wait.
    if (Pausing())
        return;
    RestoreMinimiseAnimation(host.Window());
    // Windows counts no screen recording as activity: without this the display would go dark,
    // and be recorded so, and the machine would sleep.
    power.Hold();
    // The picture of the Start command still shows the dialog: this press only starts the rhythm.
    const uint64_t now = host.NowMs();
    schedule.Begin(now, Interval());
    Press();
    state = CaptureState::Capturing;
    host.ArmTimer(schedule.Served(now));
}

void CCapture::TakePicture()
{
    const uint64_t now = host.NowMs();
    if (Pausing()) {
        // Shown some other way than from the taskbar, or a locked or sleeping screen: nothing is
        // due until it is minimised and seen again.
        schedule.Pause(now);
        waitingForPicture = false;
        host.ArmTimer(Interval());
        return;
    }
    if (schedule.Paused()) {
        // The last picture shows the screen of before the pause: a fresh press instead.
        pictures->Skip();
        Press();
        host.ArmTimer(schedule.Resume(now));
        return;
    }
    if (!pictures->HasNewPicture()) {
        if (const uint32_t wait = schedule.Missed(now)) {
            waitingForPicture = true;
            host.ArmTimer(wait);
            return;
        }
        EndByFault(pictures->FaultText(PictureFault::NoPicture), true);
        return;
    }
    waitingForPicture = false;
    if (Frame* frame = pipeline->Acquire()) {
        const Taken taken = pictures->Take(frame->picture);
        if (taken == Taken::Failed) {
            pipeline->Release(frame);
            EndByFault(pictures->FaultText(PictureFault::Failed), true);
            return;
        }
        if (taken == Taken::Picture) {
            pipeline->Submit(frame);
            displacedInARow = 0;
        } else {
            // The user's copy: this moment has no picture, the next press goes on with the next number.
            pipeline->Release(frame);
            ++displaced;
            // A program that replaces every picture (a clipboard tool that puts its own content back)
            // leaves the capture without a picture for as long as a press may take: said, not hidden.
            if (++displacedInARow >= kDisplacedInARow
                && static_cast<uint64_t>(displacedInARow) * Interval() >= CCaptureSchedule::kPictureWaitMs) {
                EndByFault(pictures->FaultText(PictureFault::NoPicture), true);
                return;
            }
        }
    } else if (pipeline->Failure() != WriteResult::Written) {
        CheckFiles();
        return;
    } else {
        // Every buffer is still on its way: this moment is skipped, and its picture with it.
        ++skipped;
        pictures->Skip();
    }
    Press();
    host.ArmTimer(schedule.Served(now));
}

void CCapture::Press()
{
    pictures->Press();
    pressed = true;
}

void CCapture::OnClipboardUpdate()
{
    if (state == CaptureState::Capturing && waitingForPicture)
        TakePicture();
}

void CCapture::OnScreenSeen(bool seen)
{
    screenSeen = seen;
    // Seen again: the next tick comes now, not an interval later, and starts with a fresh press.
    if (seen && state == CaptureState::Capturing && schedule.Paused())
        host.ArmTimer(1);
}

void CCapture::OnFilesWritten()
{
    if (state != CaptureState::Idle)
        CheckFiles();
}

std::wstring CCapture::FailureText() const
{
    std::wstring text;
    switch (pipeline ? pipeline->Failure() : WriteResult::Written) {
    case WriteResult::Written:
        break;
    case WriteResult::NoRoom:
        FormatResourceString(text, IDS_ERR_DISK_NEARLY_FULL, ByteSizeText(files->FreeBytes()).c_str(),
                             ByteSizeText(files->Reserve()).c_str());
        break;
    case WriteResult::Failed:
        text = ResourceString(IDS_ERR_SAVE_IMAGE);
        break;
    }
    return text;
}

void CCapture::CheckFiles()
{
    const std::wstring text = FailureText();
    if (text.empty())
        return;
    if (pipeline->Failure() == WriteResult::NoRoom) {
        host.ShowNextStartNumber(static_cast<int64_t>(settings.startNumber) + pipeline->Written());
        // Over: a restore later has no capture to end.
        EndByFault(text, false);
        return;
    }
    EndByFault(text, true);
}

void CCapture::OnWindowEnabled(bool enabled)
{
    const uint64_t now = host.NowMs();
    if (!enabled) {
        // No capture step may run inside a box's loop. A preparing capture ends; the dialog is
        // back to idle and a Start that goes on arms it anew.
        if (state == CaptureState::Preparing) {
            Finish();
        } else if (state == CaptureState::WaitingForFirstPress || state == CaptureState::Capturing) {
            beforeBox = state;
            state = CaptureState::PausedByBox;
            host.StopTimer();
            schedule.Pause(now);
            waitingForPicture = false;
        }
        return;
    }
    if (state != CaptureState::PausedByBox)
        return;
    state = beforeBox;
    // The next tick sees whether the window is still minimised and goes on from there.
    host.ArmTimer(Interval());
}

bool CCapture::EndByRestore()
{
    if (!pressed)
        return false;
    const uint64_t now = host.NowMs();
    const bool running = state == CaptureState::Capturing || state == CaptureState::PausedByBox;
    // The moments whose picture the user's copies replaced are no shortfall of the machine's.
    dueFiles = running ? std::max<int64_t>(0, static_cast<int64_t>(schedule.DueFiles(now)) - displaced) : 0;
    elapsedMs = running ? schedule.ElapsedMs(now) : 0;
    // The window's thread waits here: no tick runs before the last picture is written.
    if (pipeline)
        pipeline->Drain();
    endError = FailureText();
    Finish();
    pressed = false;
    host.ShowNextStartNumber(static_cast<int64_t>(settings.startNumber) + saved);
    return true;
}

void CCapture::Close()
{
    if (pipeline)
        pipeline->Drain();
    Finish();
}

std::wstring CCapture::EndText(bool& error) const
{
    error = !endError.empty();
    if (error)
        return endError;
    const std::wstring ended = ResourceString(IDS_CAPTURE_ENDED);
    if (dueFiles == 0 || elapsedMs == 0 || KeptTheRate(saved, dueFiles))
        return ended;
    std::wstring text;
    FormatResourceString(text, IDS_CAPTURE_SHORT_OF_RATE, static_cast<int>(saved), saved * 1000.0 / elapsedMs,
                         settings.refreshRate / 100.0, ended.c_str());
    return text;
}

int64_t CCapture::SavedCount() const
{
    return pipeline ? pipeline->Written() : saved;
}

void CCapture::EndByFault(const std::wstring& text, bool restoreEnds)
{
    Finish();
    pressed = restoreEnds;
    host.ShowNormal();
    host.ShowError(text);
}

void CCapture::Finish()
{
    host.StopTimer();
    if (state == CaptureState::WaitingForFirstPress)
        RestoreMinimiseAnimation(host.Window());
    if (pipeline)
        saved = pipeline->Written();
    pipeline.reset();
    files.reset();
    if (pictures)
        pictures->End();
    power.Release();
    waitingForPicture = false;
    state = CaptureState::Idle;
}
