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
    image.Reset();
    prepareAttempts = 0;
    pressed = false;
    saved = 0;
    skipped = 0;
    dueFiles = 0;
    endError.clear();
    printScreen.Choose();
    // A picture copied before Start must never pass for the screen when the press puts none there.
    ClearClipboard(host.Window());
    printScreen.Simulate(host.Window());
    listening = AddClipboardFormatListener(host.Window()) != FALSE;
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
    image.Prepare(host.Window());
    ++prepareAttempts;
    if (image.ready) {
        host.StopTimer();
        try {
            const int workers = FrameWorkers(std::thread::hardware_concurrency());
            const size_t bytes = image.fileImage.size();
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
    Finish();
    host.ShowError(ResourceString(IDS_ERR_PREPARE_CAPTURE));
}

void CCapture::FirstPress()
{
    // Restored some other way: wait until the window is minimised again.
    if (!host.IsMinimised())
        return;
    RestoreMinimiseAnimation(host.Window());
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
    if (!host.IsMinimised()) {
        // Shown some other way than from the taskbar: nothing is due until it is minimised again.
        schedule.Pause(now);
        waitingForPicture = false;
        host.ArmTimer(Interval());
        return;
    }
    if (schedule.Paused()) {
        // The last picture shows the screen of before the pause: a fresh press instead.
        image.SkipPicture();
        Press();
        host.ArmTimer(schedule.Resume(now));
        return;
    }
    if (!image.HasNewPicture()) {
        if (const uint32_t wait = schedule.Missed(now)) {
            waitingForPicture = true;
            host.ArmTimer(wait);
            return;
        }
        EndByFault(ResourceString(IDS_ERR_NO_NEW_PICTURE), true);
        return;
    }
    waitingForPicture = false;
    if (Frame* frame = pipeline->Acquire()) {
        if (!image.CopyFromClipboard(frame->picture)) {
            pipeline->Release(frame);
            EndByFault(ResourceString(IDS_ERR_COPY_CLIPBOARD), true);
            return;
        }
        pipeline->Submit(frame);
    } else if (pipeline->Failure() != WriteResult::Written) {
        CheckFiles();
        return;
    } else {
        // Every buffer is still on its way: this moment is skipped, and its picture with it.
        ++skipped;
        image.SkipPicture();
    }
    Press();
    host.ArmTimer(schedule.Served(now));
}

void CCapture::Press()
{
    printScreen.Simulate(host.Window());
    pressed = true;
}

void CCapture::OnClipboardUpdate()
{
    if (state == CaptureState::Capturing && waitingForPicture)
        TakePicture();
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
    dueFiles = running ? static_cast<int64_t>(schedule.DueFiles(now)) : 0;
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
    if (listening)
        RemoveClipboardFormatListener(host.Window());
    listening = false;
    waitingForPicture = false;
    state = CaptureState::Idle;
}
