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

// The pixels are plain 32-bit RGB, which is the same bytes as the three masks say.
HGLOBAL MakeScreenDib(const void* pixels, int width, int height)
{
    const auto size = static_cast<size_t>(screendib::PackedSize(width, height));
    CGlobalOwner block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block.Get())
        return nullptr;
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block.Get()));
    if (!bytes)
        return nullptr;
    screendib::WriteHeader(bytes, width, height);
    memcpy(bytes + screendib::kPixelsAt, pixels, size - screendib::kPixelsAt);
    GlobalUnlock(block.Get());
    return block.Release();
}

}  // namespace

HGLOBAL CScreenGrabber::Grab()
{
    CPerMonitorDpi physicalPixels;
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (screenWidth <= 0 || screenHeight <= 0)
        return nullptr;
    CScreenDC screen;
    if (!screen.dc || !Fit(screen.dc, screenWidth, screenHeight)
        || !BitBlt(memory, 0, 0, width, height, screen.dc, left, top, SRCCOPY | CAPTUREBLT))
        return nullptr;
    // The blit may still be queued; the bits are read directly.
    GdiFlush();
    return MakeScreenDib(bits, width, height);
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
