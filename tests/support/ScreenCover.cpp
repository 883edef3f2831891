#include "tests/support/ScreenCover.h"

#include "tests/support/ChildProcess.h"

namespace {

const wchar_t kClass[] = L"TessiloTestScreenCover";

}  // namespace

ScreenCover::ScreenCover(COLORREF colour)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    // Unregistering the class deletes its brush.
    windowClass.hbrBackground = CreateSolidBrush(colour);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClass, L"", WS_POPUP | WS_VISIBLE,
                             GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                             GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr,
                             nullptr, windowClass.hInstance, nullptr);
    UpdateWindow(window);
    PumpFor(500);
}

ScreenCover::~ScreenCover()
{
    if (window)
        DestroyWindow(window);
    UnregisterClassW(kClass, GetModuleHandleW(nullptr));
    PumpFor(500);
}
