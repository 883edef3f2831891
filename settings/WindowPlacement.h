// Where the main window was: maximised or not, and its last normal rectangle.
#pragma once

#include <windows.h>

#include <string>

struct WindowPlacement {
    // Bits of Restore's options.
    static constexpr UINT kKeepPosition = 1;
    static constexpr UINT kKeepSize = 2;
    static constexpr UINT kFitIntoScreen = 4;

    bool fullscreen = false;
    RECT rect = {0, 0, 0, 0};

    // Takes the maximised state; the rectangle only while the window is neither maximised nor
    // minimised, so that it always holds the last normal one.
    bool Capture(HWND window);
    // Moves and sizes the window to a non-empty rectangle (fitted into the virtual screen with
    // kFitIntoScreen), then maximises it when it was maximised. False when nothing was moved.
    bool Restore(HWND window, UINT options) const;
    // The values "<prefix>Fullscreen", "Left", "Top", "Right", "Bottom" of the key at `path`.
    // False only when the key cannot be opened or created; missing or mistyped values are
    // skipped, and the rectangle is taken only when all four coordinates are there.
    bool Load(HKEY root, const std::wstring& path, const std::wstring& prefix);
    bool Save(HKEY root, const std::wstring& path, const std::wstring& prefix) const;
};
