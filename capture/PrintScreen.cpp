#include "capture/PrintScreen.h"

#include "capture/SnippingKey.h"
#include "image/ClipboardGuards.h"
#include "image/HandleOwner.h"

#include <cstring>

namespace {

// Each holds the DWORD 0: this picture stays out of the clipboard history (Win+V), the cloud
// clipboard and the clipboard monitors that honour the first. Windows' own PrtSc picture
// cannot be marked so.
const wchar_t* const kKeepOutFormats[] = {
    L"ExcludeClipboardContentFromMonitorProcessing",
    L"CanIncludeInClipboardHistory",
    L"CanUploadToCloudClipboard",
};

void PlaceDword(UINT format, DWORD value)
{
    CGlobalOwner block(GlobalAlloc(GMEM_MOVEABLE, sizeof value));
    void* bytes = block.Get() ? GlobalLock(block.Get()) : nullptr;
    if (!bytes)
        return;
    std::memcpy(bytes, &value, sizeof value);
    GlobalUnlock(block.Get());
    if (SetClipboardData(format, block.Get()))
        block.Release();
}

}  // namespace

void ClearClipboard(HWND owner)
{
    CClipboardOpener clipboard(owner);
    if (clipboard.opened)
        EmptyClipboard();
}

void CPrintScreen::Choose()
{
    pressKey = PrintScreenCopiesScreen();
}

void CPrintScreen::Simulate(HWND owner)
{
    if (pressKey)
        keybd_event(VK_SNAPSHOT, 0, 0, 0);
    else
        Place(owner);
}

void CPrintScreen::Place(HWND owner)
{
    // Grabbed first: the clipboard is held only while the block is handed over, not for the grab.
    CGlobalOwner picture(grabber.Grab());
    CClipboardOpener clipboard(owner);
    // Emptied also when the grab failed: the picture of an earlier press must not pass for this
    // one's, and the reader finds none.
    if (!clipboard.opened || !EmptyClipboard() || !picture.Get())
        return;
    // The block itself, as Windows gives a PrtSc picture to a CF_DIB reader: no conversion.
    if (!SetClipboardData(CF_DIB, picture.Get()))
        return;
    picture.Release();
    for (const wchar_t* name : kKeepOutFormats) {
        if (const UINT format = RegisterClipboardFormatW(name))
            PlaceDword(format, 0);
    }
}
