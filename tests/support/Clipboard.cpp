#include "tests/support/Clipboard.h"

#include "image/ClipboardGuards.h"

#include <cstring>

SIZE_T PlaceOnClipboard(HWND owner, UINT format, const void* bytes, size_t size)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory)
        return 0;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return 0;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(memory);
    const SIZE_T placed = GlobalSize(memory);
    CClipboardOpener clipboard(owner);
    if (!clipboard.opened || !EmptyClipboard() || !SetClipboardData(format, memory)) {
        GlobalFree(memory);
        return 0;
    }
    // The clipboard owns the memory now.
    return placed;
}

bool EmptyTheClipboard()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr)) {
            const bool emptied = EmptyClipboard() != FALSE;
            CloseClipboard();
            return emptied;
        }
        Sleep(10);
    }
    return false;
}

ClipboardOwner::ClipboardOwner()
    : window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr))
{
}

ClipboardOwner::~ClipboardOwner()
{
    if (OpenClipboard(window)) {
        EmptyClipboard();
        CloseClipboard();
    }
    if (window)
        DestroyWindow(window);
}
