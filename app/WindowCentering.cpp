#include "app/WindowCentering.h"

RECT GetWorkArea()
{
    RECT work = {};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return work;
}

void CenterWindowOn(HWND window, const RECT& reference)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const RECT work = GetWorkArea();

    int left = (reference.left + reference.right) / 2 - width / 2;
    int top = (reference.top + reference.bottom) / 2 - height / 2;
    if (left < work.left)
        left = work.left;
    else if (left + width > work.right)
        left = work.right - width;
    if (top < work.top)
        top = work.top;
    else if (top + height > work.bottom)
        top = work.bottom - height;

    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
