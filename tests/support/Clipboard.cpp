#include "tests/support/Clipboard.h"

#include "image/ClipboardGuards.h"
#include "image/ScreenDib.h"

#include <cstdint>
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

std::string MakeScreenDib(int width, int height, bool noise)
{
    std::string block(static_cast<size_t>(screendib::PackedSize(width, height)), '\0');
    screendib::WriteHeader(reinterpret_cast<uint8_t*>(&block[0]), width, height);
    uint32_t state = 0x2545F491;
    for (size_t i = 0; i < block.size() - screendib::kPixelsAt; ++i) {
        state = state * 1664525 + 1013904223;
        block[screendib::kPixelsAt + i] = static_cast<char>(noise ? state >> 24 : (i / 4) % 251);
    }
    return block;
}
