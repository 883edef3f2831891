// Another process that places the benchmark's picture on the clipboard on request, so that the
// frame benchmark can also time the read of a block that it did not place itself, as a capture
// reads the companion's. Started by frame_benchmark.exe; ended by WM_CLOSE.
#include "bench/ClipboardPlacer.h"
#include "bench/ScreenPicture.h"
#include "tests/support/Clipboard.h"

#include <cstdint>
#include <vector>

namespace {

// The picture of the size last asked for, made once per size.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> block;
};

Picture g_picture;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Picture& picture = g_picture;
    switch (message) {
    case kPlaceMessage: {
        const int width = LOWORD(wParam);
        const int height = HIWORD(wParam);
        if (width != picture.width || height != picture.height) {
            picture.block = MakeScreenDib(width, height, static_cast<uint32_t>(lParam));
            picture.width = width;
            picture.height = height;
        }
        return PlaceOnClipboard(window, CF_DIB, picture.block.data(), picture.block.size()) != 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int wmain()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kPlacerClass;
    if (!RegisterClassW(&windowClass)
        || !CreateWindowExW(0, kPlacerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}
