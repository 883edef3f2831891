// What a capture asks of the window it records for. The capture shows no box itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class ICaptureHost {
public:
    virtual ~ICaptureHost() = default;

    // The window: the clipboard's owner while a picture is read, and the one minimised.
    virtual HWND Window() const = 0;
    // The capture timer, at most one; its ticks come to CCapture::OnTick.
    virtual void ArmTimer(UINT ms) = 0;
    // Also discards the ticks already queued, so that none runs after this point.
    virtual void StopTimer() = 0;
    // Milliseconds of a steady clock.
    virtual uint64_t NowMs() const = 0;

    virtual void Minimise() = 0;
    virtual bool IsMinimised() const = 0;
    virtual void ShowNormal() = 0;
    virtual void ShowError(const std::wstring& text) = 0;
    // The start-number box gains the number after the last file of the capture.
    virtual void ShowNextStartNumber(int64_t next) = 0;
    // From any thread: CCapture::OnFilesWritten should run on the window's thread soon.
    virtual void PostFilesWritten() = 0;
};
