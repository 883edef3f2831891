// Scoped owners for the open clipboard and a locked global memory block.
#pragma once

#include <windows.h>

class CClipboardOpener {
public:
    bool opened;

    // Another program may hold the clipboard for a moment: a clipboard history or manager reading
    // each new picture (Windows' own; GNOME's, through Wine). That is waited out; longer fails.
    static constexpr int kOpenRetries = 10;
    static constexpr DWORD kOpenRetryMs = 10;

    using Pause = void (*)(DWORD milliseconds);

    // A program that renders its clipboard data on request passes a pause that serves those
    // requests: the reader holding the clipboard may be waiting for one.
    explicit CClipboardOpener(HWND owner, Pause pause = SleepFor) : opened(OpenClipboard(owner) != FALSE)
    {
        for (int retry = 0; !opened && retry < kOpenRetries; ++retry) {
            pause(kOpenRetryMs);
            opened = OpenClipboard(owner) != FALSE;
        }
    }
    virtual ~CClipboardOpener()
    {
        if (opened)
            CloseClipboard();
    }
    CClipboardOpener(const CClipboardOpener&) = delete;
    CClipboardOpener& operator=(const CClipboardOpener&) = delete;

private:
    static void SleepFor(DWORD milliseconds) { Sleep(milliseconds); }
};

class CGlobalLocker {
public:
    HGLOBAL handle = nullptr;

    CGlobalLocker() = default;
    virtual ~CGlobalLocker() { Unlock(); }
    CGlobalLocker(const CGlobalLocker&) = delete;
    CGlobalLocker& operator=(const CGlobalLocker&) = delete;

    // Unlocks what was held, then locks memory; pointer is null when the lock failed.
    void Lock(HGLOBAL memory, void*& pointer)
    {
        Unlock();
        pointer = GlobalLock(memory);
        if (pointer)
            handle = memory;
    }

    void Unlock()
    {
        if (handle) {
            GlobalUnlock(handle);
            handle = nullptr;
        }
    }
};
