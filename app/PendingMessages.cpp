#include "app/PendingMessages.h"

void RemovePendingMessages(HWND window, UINT first, UINT last)
{
    if (last == 0)
        last = first;
    MSG msg;
    while (PeekMessageW(&msg, window, first, last, PM_NOREMOVE | PM_NOYIELD)) {
        if (msg.message == WM_QUIT)
            break;
        PeekMessageW(&msg, window, first, last, PM_REMOVE);
    }
}
