// Pictures of the whole virtual screen (every monitor, each in its own pixels) without the
// pointer, as the packed DIB that Windows' clipboard gives its readers for a PrtSc picture: a 40-byte header, BI_BITFIELDS with its three
// masks, 32 bits per pixel, bottom-up.
#pragma once

#include <windows.h>

class CScreenGrabber {
public:
    CScreenGrabber() = default;
    ~CScreenGrabber() { Free(); }
    CScreenGrabber(const CScreenGrabber&) = delete;
    CScreenGrabber& operator=(const CScreenGrabber&) = delete;

    // A movable global block the caller owns, ready for SetClipboardData(CF_DIB); null when the
    // screen cannot be copied.
    HGLOBAL Grab();

private:
    // The screen is copied into one bitmap kept from grab to grab while its size stays the same,
    // laid out as the block wants it, so that a grab is one blit and one copy.
    bool Fit(HDC screen, int width, int height);
    void Free();

    HDC memory = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ original = nullptr;
    void* bits = nullptr;
    int width = 0;
    int height = 0;
};
