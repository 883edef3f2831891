#include "prtsc/ScreenToClipboard.h"

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

// Deletes the bitmap unless the clipboard has taken it.
class CBitmapOwner {
public:
    explicit CBitmapOwner(HBITMAP bitmap) : bitmap(bitmap) {}
    ~CBitmapOwner() { if (bitmap) DeleteObject(bitmap); }
    CBitmapOwner(const CBitmapOwner&) = delete;
    CBitmapOwner& operator=(const CBitmapOwner&) = delete;
    HBITMAP Get() const { return bitmap; }
    HBITMAP Release()
    {
        HBITMAP released = bitmap;
        bitmap = nullptr;
        return released;
    }

private:
    HBITMAP bitmap;
};

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
    return bitmap.Release();
}

}  // namespace

bool CopyScreenToClipboard(HWND owner)
{
    CBitmapOwner bitmap(GrabVirtualScreen());
    if (!bitmap.Get())
        return false;
    CClipboardOpener clipboard(owner);
    if (!clipboard.Opened() || !EmptyClipboard())
        return false;
    if (!SetClipboardData(CF_BITMAP, bitmap.Get()))
        return false;
    // The clipboard owns it now.
    bitmap.Release();
    return true;
}
