#include "capture/PrintScreen.h"

#include "image/ClipboardGuards.h"

void ClearClipboard(HWND owner)
{
    CClipboardOpener clipboard(owner);
    if (clipboard.opened)
        EmptyClipboard();
}

void SimulatePrintScreen()
{
    keybd_event(VK_SNAPSHOT, 0, 0, 0);
}
