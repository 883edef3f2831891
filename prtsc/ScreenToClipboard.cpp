#include "prtsc/ScreenToClipboard.h"

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

class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatible) : dc(CreateCompatibleDC(compatible)) {}
    ~CMemoryDC() { if (dc) DeleteDC(dc); }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    HDC dc;
};

class CSelection {
public:
    CSelection(HDC dc, HGDIOBJ object) : dc(dc), old(SelectObject(dc, object))
    {
        if (old == HGDI_ERROR)
            old = nullptr;
    }
    ~CSelection() { if (old) SelectObject(dc, old); }
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;
    bool Selected() const { return old != nullptr; }

private:
    HDC dc;
    HGDIOBJ old;
};

// Owns a handle and frees it with Free, unless it was handed on with Release (to the
// clipboard, or to the caller).
template <class Handle, class Result, Result (WINAPI* Free)(Handle)>
class CHandleOwner {
public:
    explicit CHandleOwner(Handle handle) : handle(handle) {}
    ~CHandleOwner() { if (handle) Free(handle); }
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;
    Handle Get() const { return handle; }
    Handle Release()
    {
        Handle released = handle;
        handle = nullptr;
        return released;
    }

private:
    Handle handle;
};

using CBitmapOwner = CHandleOwner<HGDIOBJ, BOOL, DeleteObject>;
using CGlobalOwner = CHandleOwner<HGLOBAL, HGLOBAL, GlobalFree>;

class CClipboardOpener {
public:
    explicit CClipboardOpener(HWND owner)
    {
        // A reader may hold the clipboard for the few milliseconds of one read.
        for (int attempt = 0; attempt < 20 && !opened; ++attempt) {
            opened = OpenClipboard(owner) != FALSE;
            if (!opened)
                Sleep(5);
        }
    }
    ~CClipboardOpener() { if (opened) CloseClipboard(); }
    CClipboardOpener(const CClipboardOpener&) = delete;
    CClipboardOpener& operator=(const CClipboardOpener&) = delete;
    bool Opened() const { return opened; }

private:
    bool opened = false;
};

// The screen's current picture, owned by the caller; null when it cannot be taken.
HBITMAP GrabVirtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0)
        return nullptr;

    CScreenDC screen;
    if (!screen.dc)
        return nullptr;
    CMemoryDC memory(screen.dc);
    if (!memory.dc)
        return nullptr;
    CBitmapOwner bitmap(CreateCompatibleBitmap(screen.dc, width, height));
    if (!bitmap.Get())
        return nullptr;
    {
        // The bitmap must leave the memory DC before the clipboard can take it.
        CSelection selection(memory.dc, bitmap.Get());
        if (!selection.Selected()
            || !BitBlt(memory.dc, 0, 0, width, height, screen.dc, left, top, SRCCOPY | CAPTUREBLT))
            return nullptr;
    }
    return static_cast<HBITMAP>(bitmap.Release());
}

// The bitmap as the packed DIB that Windows' clipboard makes of a screen picture: a 40-byte
// header, BI_BITFIELDS with its three masks, 32 bits per pixel, bottom-up. Made here, before the
// clipboard is opened, so that neither this program nor a reader holds the clipboard while the
// conversion runs.
HGLOBAL MakeScreenDib(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return nullptr;
    const SIZE_T pixelBytes = static_cast<SIZE_T>(info.bmWidth) * static_cast<SIZE_T>(info.bmHeight) * 4;
    const SIZE_T maskBytes = 3 * sizeof(DWORD);
    CGlobalOwner block(GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + maskBytes + pixelBytes));
    if (!block.Get())
        return nullptr;
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block.Get()));
    if (!header)
        return nullptr;

    // GetDIBits fills the pixels as plain 32-bit RGB, which is the same bytes as these masks.
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = info.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    auto* bytes = reinterpret_cast<BYTE*>(header);
    CScreenDC screen;
    const int rows = screen.dc ? GetDIBits(screen.dc, bitmap, 0, static_cast<UINT>(info.bmHeight),
                                           bytes + sizeof(BITMAPINFOHEADER) + maskBytes, &request, DIB_RGB_COLORS)
                               : 0;

    *header = request.bmiHeader;
    header->biCompression = BI_BITFIELDS;
    header->biSizeImage = static_cast<DWORD>(pixelBytes);
    header->biClrUsed = 0;
    header->biClrImportant = 0;
    const DWORD masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    memcpy(bytes + sizeof(BITMAPINFOHEADER), masks, maskBytes);
    GlobalUnlock(block.Get());
    return rows == info.bmHeight ? block.Release() : nullptr;
}

}  // namespace

bool CopyScreenToClipboard(HWND owner)
{
    CBitmapOwner bitmap(GrabVirtualScreen());
    if (!bitmap.Get())
        return false;
    CGlobalOwner dib(MakeScreenDib(static_cast<HBITMAP>(bitmap.Get())));
    if (!dib.Get())
        return false;
    CClipboardOpener clipboard(owner);
    if (!clipboard.Opened() || !EmptyClipboard())
        return false;
    if (!SetClipboardData(CF_DIB, dib.Get()))
        return false;
    // The clipboard owns it now.
    dib.Release();
    return true;
}
