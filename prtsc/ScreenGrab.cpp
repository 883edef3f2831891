#include "prtsc/ScreenGrab.h"
#include "prtsc/HandleOwner.h"

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

BITMAPINFOHEADER ScreenDibHeader(int width, int height, DWORD compression)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = compression;
    return header;
}

// The pixels are plain 32-bit RGB, which is the same bytes as the three masks say.
HGLOBAL MakeScreenDib(const void* pixels, int width, int height)
{
    const SIZE_T pixelBytes = static_cast<SIZE_T>(width) * static_cast<SIZE_T>(height) * 4;
    const DWORD masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    CGlobalOwner block(GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + sizeof(masks) + pixelBytes));
    if (!block.Get())
        return nullptr;
    auto* bytes = static_cast<BYTE*>(GlobalLock(block.Get()));
    if (!bytes)
        return nullptr;
    BITMAPINFOHEADER header = ScreenDibHeader(width, height, BI_BITFIELDS);
    header.biSizeImage = static_cast<DWORD>(pixelBytes);
    memcpy(bytes, &header, sizeof(header));
    memcpy(bytes + sizeof(header), masks, sizeof(masks));
    memcpy(bytes + sizeof(header) + sizeof(masks), pixels, pixelBytes);
    GlobalUnlock(block.Get());
    return block.Release();
}

}  // namespace

HGLOBAL CScreenGrabber::Grab()
{
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
    info.bmiHeader = ScreenDibHeader(newWidth, newHeight, BI_RGB);
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
