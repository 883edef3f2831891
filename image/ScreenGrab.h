// Pictures of the whole virtual screen (every monitor, each in its own pixels) without the
// pointer, laid out as the packed DIB that Windows' clipboard gives its readers for a PrtSc
// picture (image/ScreenDib.h).
#pragma once

#include <windows.h>

#include <cstdint>

class CScreenGrabber {
public:
    CScreenGrabber() = default;
    ~CScreenGrabber() { Free(); }
    CScreenGrabber(const CScreenGrabber&) = delete;
    CScreenGrabber& operator=(const CScreenGrabber&) = delete;

    // The screen now, into the grabber's own bitmap; false when it cannot be read (a secure
    // desktop in front, a screen without a size).
    bool Grab();
    int Width() const { return width; }
    int Height() const { return height; }
    // The last grab as a packed DIB, screendib::PackedSize bytes at `into`.
    void CopyPackedDib(uint8_t* into) const;
    // The last grab as a movable global block the caller owns, ready for
    // SetClipboardData(CF_DIB); null when there is no memory for it.
    HGLOBAL MakeBlock() const;

private:
    // The screen is copied into one bitmap kept from grab to grab while its size stays the same,
    // laid out as the DIB wants it, so that a picture is one blit and one copy.
    bool Fit(HDC screen, int width, int height);
    void Free();

    HDC memory = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ original = nullptr;
    void* bits = nullptr;
    int width = 0;
    int height = 0;
};
