// A window of one colour over the whole virtual screen, in front of everything, while it lives.
#pragma once

#include <windows.h>

class ScreenCover {
public:
    explicit ScreenCover(COLORREF colour);
    ~ScreenCover();
    ScreenCover(const ScreenCover&) = delete;
    ScreenCover& operator=(const ScreenCover&) = delete;

private:
    HWND window;
};
