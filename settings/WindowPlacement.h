// Where the main window was: maximised or not, and its last normal rectangle.
#pragma once

#include <windows.h>

struct WindowPlacement {
    bool fullscreen = false;
    RECT rect = {0, 0, 0, 0};
};
