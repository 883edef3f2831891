#include "settings/WindowPlacement.h"

#include "settings/FitRectIntoBounds.h"
#include "settings/RegistryKey.h"

namespace {

const wchar_t* const kCoordinateNames[] = {L"Left", L"Top", L"Right", L"Bottom"};

RECT VirtualScreen()
{
    RECT screen;
    screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return screen;
}

}  // namespace

bool WindowPlacement::Capture(HWND window)
{
    fullscreen = IsZoomed(window) != FALSE;
    if (fullscreen || IsIconic(window))
        return true;
    RECT current;
    if (!GetWindowRect(window, &current))
        return false;
    rect = current;
    return true;
}

bool WindowPlacement::Restore(HWND window, UINT options) const
{
    bool moved = false;
    if (!IsRectEmpty(&rect)) {
        RECT target = rect;
        UINT flags = SWP_NOZORDER;
        if (options & kKeepPosition)
            flags |= SWP_NOMOVE;
        if (options & kKeepSize)
            flags |= SWP_NOSIZE;
        if (options & kFitIntoScreen)
            FitRectIntoBounds(target, VirtualScreen());
        const int width = detail::Saturated<int>(static_cast<int64_t>(target.right) - target.left);
        const int height = detail::Saturated<int>(static_cast<int64_t>(target.bottom) - target.top);
        moved = SetWindowPos(window, nullptr, target.left, target.top, width, height, flags) != FALSE;
    }
    if (fullscreen)
        ShowWindow(window, SW_SHOWMAXIMIZED);
    return moved;
}

bool WindowPlacement::Load(HKEY root, const std::wstring& path, const std::wstring& prefix)
{
    RegistryKey key;
    if (key.Open(root, path) != ERROR_SUCCESS)
        return false;

    DWORD number = 0;
    if (key.QueryDwordValue((prefix + L"Fullscreen").c_str(), number))
        fullscreen = number != 0;

    LONG coordinates[4] = {};
    for (size_t i = 0; i < 4; ++i) {
        if (!key.QueryDwordValue((prefix + kCoordinateNames[i]).c_str(), number))
            return true;
        // Stored in two's complement.
        coordinates[i] = static_cast<LONG>(number);
    }
    rect = {coordinates[0], coordinates[1], coordinates[2], coordinates[3]};
    return true;
}

bool WindowPlacement::Save(HKEY root, const std::wstring& path, const std::wstring& prefix) const
{
    RegistryKey key;
    if (key.Create(root, path) != ERROR_SUCCESS)
        return false;
    // Single writes that fail are not worth failing the save for: the next save writes them all.
    key.SetDwordValue((prefix + L"Fullscreen").c_str(), fullscreen ? 1 : 0);
    const LONG coordinates[4] = {rect.left, rect.top, rect.right, rect.bottom};
    for (size_t i = 0; i < 4; ++i)
        key.SetDwordValue((prefix + kCoordinateNames[i]).c_str(), static_cast<DWORD>(coordinates[i]));
    return true;
}
