#include "image/ScreenGrab.h"
#include "image/HandleOwner.h"
#include "image/ScreenDib.h"

#include <cstring>

namespace {

class CScreenDC {
public:
    CScreenDC() : dc(GetDC(nullptr)) {}
    ~CScreenDC() { if (dc) ReleaseDC(nullptr, dc); }
    CScreenDC(const CScreenDC&) = delete;
    CScreenDC& operator=(const CScreenDC&) = delete;
    HDC dc;
};

// While it lives, the thread sees every monitor in its own pixels. A system-aware thread gets the
// monitors of another scale stretched to the system's DPI, from the metrics to the blit.
class CPerMonitorDpi {
public:
    CPerMonitorDpi()
    {
        // Windows 10 1607 and later; before them every monitor has the system's DPI anyway.
        using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
        if (HMODULE user32 = GetModuleHandleW(L"user32.dll"))
            set = reinterpret_cast<SetContext>(
                reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
        if (set)
            previous = set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    }
    ~CPerMonitorDpi()
    {
        if (previous)
            set(previous);
    }
    CPerMonitorDpi(const CPerMonitorDpi&) = delete;
    CPerMonitorDpi& operator=(const CPerMonitorDpi&) = delete;

private:
    DPI_AWARENESS_CONTEXT(WINAPI* set)(DPI_AWARENESS_CONTEXT) = nullptr;
    DPI_AWARENESS_CONTEXT previous = nullptr;
};

}  // namespace

bool CScreenGrabber::Grab()
{
    CPerMonitorDpi physicalPixels;
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (screenWidth <= 0 || screenHeight <= 0)
        return false;
    CScreenDC screen;
    // No CAPTUREBLT: since Windows 8 the desktop is always composed, and a plain copy of the
    // screen already holds layered windows; CAPTUREBLT would only hide the pointer for each
    // grab, so that it flickers at the capture's rate.
    if (!screen.dc || !Fit(screen.dc, screenWidth, screenHeight)
        || !BitBlt(memory, 0, 0, width, height, screen.dc, left, top, SRCCOPY))
        return false;
    // The blit may still be queued; the bits are read directly.
    GdiFlush();
    return true;
}

// The bitmap's pixels are plain 32-bit RGB, which is the same bytes as the three masks say.
void CScreenGrabber::CopyPackedDib(uint8_t* into) const
{
    screendib::WriteHeader(into, width, height);
    memcpy(into + screendib::kPixelsAt, bits, static_cast<size_t>(screendib::PixelsSize(width, height)));
}

HGLOBAL CScreenGrabber::MakeBlock() const
{
    if (!bits)
        return nullptr;
    CGlobalOwner block(GlobalAlloc(GMEM_MOVEABLE, static_cast<size_t>(screendib::PackedSize(width, height))));
    auto* bytes = block.Get() ? static_cast<uint8_t*>(GlobalLock(block.Get())) : nullptr;
    if (!bytes)
        return nullptr;
    CopyPackedDib(bytes);
    GlobalUnlock(block.Get());
    return block.Release();
}

bool CScreenGrabber::Fit(HDC screen, int newWidth, int newHeight)
{
    if (section && newWidth == width && newHeight == height)
        return true;
    Free();
    memory = CreateCompatibleDC(screen);
    if (!memory)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = newWidth;
    info.bmiHeader.biHeight = newHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    section = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section)
        original = SelectObject(memory, section);
    if (!section || !original || original == HGDI_ERROR) {
        Free();
        return false;
    }
    width = newWidth;
    height = newHeight;
    return true;
}

void CScreenGrabber::Free()
{
    if (memory) {
        if (original && original != HGDI_ERROR)
            SelectObject(memory, original);
        DeleteDC(memory);
    }
    if (section)
        DeleteObject(section);
    memory = nullptr;
    section = nullptr;
    original = nullptr;
    bits = nullptr;
    width = 0;
    height = 0;
}
