// One capture, from the Start command's press to its end: the preparation, the minimise, one
// picture per due moment handed to the file workers, the pauses, and one way to end. It talks
// to its window through ICaptureHost and shows no box itself.
#pragma once

#include "capture/CaptureFiles.h"
#include "capture/CaptureHost.h"
#include "capture/CaptureSchedule.h"
#include "capture/FramePipeline.h"
#include "capture/RecordingPower.h"
#include "capture/ScreenPictures.h"
#include "settings/CaptureSettings.h"

#include <cstdint>
#include <memory>
#include <string>

enum class CaptureState {
    Idle,
    // Pressed once; waiting for the picture that sizes the capture image.
    Preparing,
    // Minimised; the first press waits until the window has left the screen.
    WaitingForFirstPress,
    Capturing,
    // A modal box of the window is open; the capture goes on when it closes.
    PausedByBox,
};

class CCapture {
public:
    explicit CCapture(ICaptureHost& host);
    ~CCapture();
    CCapture(const CCapture&) = delete;
    CCapture& operator=(const CCapture&) = delete;

    // The Start command's last step, with the settings it committed: a new capture.
    void Start(const CaptureSettings& settings);
    void OnTick();
    // The clipboard changed: a picture a tick is waiting for may have come.
    void OnClipboardUpdate();
    // A worker wrote a file or failed.
    void OnFilesWritten();
    // A modal box owned by the window opens (false) or has closed (true).
    void OnWindowEnabled(bool enabled);
    // The screen cannot be seen (locked, another user's, a remote session gone, the machine
    // asleep) or can again: meanwhile nothing is pressed or saved.
    void OnScreenSeen(bool seen);
    // The restore from the taskbar: true when it ended a capture. The pictures taken are written
    // first; EndText then says how it went.
    bool EndByRestore();
    // The window closes: the pictures taken are written, nothing is asked.
    void Close();

    // After EndByRestore: the question at the end, or a failure's message when the last files
    // could not be written (then `error` is true).
    std::wstring EndText(bool& error) const;

    CaptureState State() const { return state; }
    int PrepareAttempts() const { return prepareAttempts; }
    // Files written since the Start.
    int64_t SavedCount() const;
    // Due moments that found every buffer still on its way.
    int64_t SkippedMoments() const { return skipped; }
    // Presses whose picture a copy of the user's replaced.
    int64_t DisplacedPictures() const { return displaced; }

private:
    void Prepare();
    void FirstPress();
    // A due moment (or a look for a late picture): the last press's picture into a buffer for
    // the workers, then the next press.
    void TakePicture();
    void Press();
    // Every end goes through here: no timer, no workers, no clipboard notices.
    void Finish();
    // Nothing is due while the screen cannot be seen or the window is shown.
    bool Pausing() const { return !screenSeen || !host.IsMinimised(); }
    // An end by a fault: the window shown and the message. `restoreEnds`: a restore later
    // still reports the end of this capture.
    void EndByFault(const std::wstring& text, bool restoreEnds);
    // The workers' failure as its message; empty while there is none.
    std::wstring FailureText() const;
    void CheckFiles();
    uint32_t Interval() const { return CaptureIntervalMs(settings.refreshRate); }

    ICaptureHost& host;
    CaptureState state = CaptureState::Idle;
    CaptureState beforeBox = CaptureState::Idle;
    CaptureSettings settings;
    std::unique_ptr<IScreenPictures> pictures;
    CRecordingPower power;
    CCaptureSchedule schedule;
    std::unique_ptr<CCaptureFiles> files;
    std::unique_ptr<CFramePipeline> pipeline;
    int prepareAttempts = 0;
    bool pressed = false;  // since the capture began; a restore then ends it
    bool waitingForPicture = false;
    bool screenSeen = true;
    int64_t saved = 0;
    int64_t skipped = 0;
    int64_t displaced = 0;
    // Presses in a row whose picture something replaced.
    int displacedInARow = 0;
    // Figures of the last end by restore.
    int64_t dueFiles = 0;
    uint64_t elapsedMs = 0;
    // The failure the last files met while the restore waited for them.
    std::wstring endError;
};
