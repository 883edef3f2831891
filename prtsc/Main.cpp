// tessilo-prtsc: the PrtSc key of Windows for Wine, where pressing PrtSc leaves nothing on the
// clipboard. Tessilo presses PrtSc and reads the picture from the clipboard; this fills the gap.
#include "app/RunningUnderWine.h"
#include "image/HandleOwner.h"
#include "prtsc/FrameFileScreen.h"
#include "prtsc/KeyboardWatch.h"
#include "prtsc/MinimisedClick.h"
#include "prtsc/ScreenClipboard.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const wchar_t kWindowClass[] = L"TessiloPrtScCompanion";
const wchar_t kMutexName[] = L"Local\\TessiloPrtScCompanion";
// Posted to the main thread by the keyboard watch on each PrtSc.
constexpr UINT kPressMessage = WM_APP + 1;
// Posted to the main thread by the mouse watch on each button press.
constexpr UINT kClickMessage = WM_APP + 2;

const char kHelp[] =
    "tessilo-prtsc: gives Wine the PrtSc key of Windows.\n"
    "\n"
    "Windows puts a picture of the whole screen on the clipboard when PrtSc is pressed;\n"
    "Wine does not. Tessilo records the screen by pressing PrtSc and reading that picture,\n"
    "so under Wine this program must run while Tessilo captures. It watches the keyboard\n"
    "and, on each PrtSc, puts the screen (all monitors) on the clipboard as a bitmap.\n"
    "On a desktop that leaves minimised windows on screen (sway, tiling window managers),\n"
    "a click into such a window restores it, as its taskbar button would: a click into\n"
    "Tessilo's window ends a capture there.\n"
    "Only one copy runs at a time. Ctrl+C, or closing its hidden window, ends it.\n"
    "\n"
    "Usage: tessilo-prtsc [--help]\n";

// The console handler runs on a thread of its own and has only this to reach the loop.
std::atomic<HWND> g_window{nullptr};

// The clipboard owner for the pictures: it renders the one announced last when a reader asks.
class CHiddenWindow {
public:
    explicit CHiddenWindow(CScreenClipboard& clipboard)
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        if (RegisterClassW(&windowClass))
            window = CreateWindowW(kWindowClass, L"tessilo-prtsc", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                   windowClass.hInstance, &clipboard);
        g_window = window;
    }
    ~CHiddenWindow()
    {
        g_window = nullptr;
        if (window && IsWindow(window))
            DestroyWindow(window);
        UnregisterClassW(kWindowClass, GetModuleHandleW(nullptr));
    }
    CHiddenWindow(const CHiddenWindow&) = delete;
    CHiddenWindow& operator=(const CHiddenWindow&) = delete;
    HWND Get() const { return window; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* clipboard = reinterpret_cast<CScreenClipboard*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
        case WM_RENDERFORMAT:
            clipboard->OnRenderFormat(static_cast<UINT>(wParam));
            return 0;
        case WM_RENDERALLFORMATS:
            clipboard->OnRenderAllFormats(window);
            return 0;
        case WM_DESTROYCLIPBOARD:
            clipboard->OnDestroyClipboard();
            return 0;
        case WM_DESTROY:
            // WM_CLOSE gets the default: the window is destroyed, which ends the loop.
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }

    HWND window = nullptr;
};

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    HWND window = g_window;
    return window && PostMessageW(window, WM_CLOSE, 0, 0);
}

// On a Wayland session a grab is black: the picture is tessilo-screen's newest frame, or there is
// none (the clipboard is emptied, and the reader finds no picture). Each new reason is told once.
void PlaceFrame(CFrameFileScreen& frames, CKeyboardWatch& watch, CScreenClipboard& clipboard, HWND window,
                std::string& refusal)
{
    std::string why;
    CGlobalOwner picture(frames.Take(why));
    if (!picture.Get()) {
        clipboard.Refuse(window);
        watch.Answer();
        if (why != refusal)
            std::fprintf(stderr, "tessilo-prtsc: PrtSc refused: %s\n", why.c_str());
        refusal = why;
        return;
    }
    refusal.clear();
    const bool announced = clipboard.Announce(window);
    watch.Answer();
    if (announced)
        clipboard.Keep(picture.Release());
    else
        std::fputs("tessilo-prtsc: could not put the screen on the clipboard\n", stderr);
}

int RunLoop(CKeyboardWatch& watch, CScreenClipboard& clipboard, CFrameFileScreen* frames, HWND window)
{
    std::string refusal;
    MSG msg;
    int result;
    while ((result = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        if (msg.hwnd == nullptr && msg.message == kClickMessage) {
            CMinimisedClickWatch::OnPress(msg.lParam, window);
            continue;
        }
        if (msg.hwnd == nullptr && msg.message == kPressMessage && frames) {
            PlaceFrame(*frames, watch, clipboard, window, refusal);
            continue;
        }
        if (msg.hwnd == nullptr && msg.message == kPressMessage) {
            const bool announced = clipboard.Announce(window);
            // The key press returns now; a reader that asks before the grab is done waits for it.
            watch.Answer();
            if (!announced || !clipboard.Grab())
                std::fputs("tessilo-prtsc: could not put the screen on the clipboard\n", stderr);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return result < 0 ? 1 : static_cast<int>(msg.wParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i) {
        const bool help = std::wcscmp(argv[i], L"--help") == 0 || std::wcscmp(argv[i], L"-h") == 0
            || std::wcscmp(argv[i], L"/?") == 0;
        std::fputs(kHelp, help ? stdout : stderr);
        return help ? 0 : 1;
    }

    if (!RunningUnderWine()) {
        std::fputs("tessilo-prtsc: Windows itself puts the screen on the clipboard when PrtSc is pressed;\n"
                   "this companion is needed only under Wine. Nothing to do.\n",
                   stdout);
        return 0;
    }

    CHandleOwner<HANDLE, BOOL, CloseHandle> mutex(CreateMutexW(nullptr, FALSE, kMutexName));
    if (!mutex.Get() || GetLastError() == ERROR_ALREADY_EXISTS) {
        std::fputs("tessilo-prtsc: already running\n", stderr);
        return 1;
    }

    CKeyboardWatch watch;
    if (!watch.Start(GetCurrentThreadId(), kPressMessage)) {
        std::fputs("tessilo-prtsc: could not watch the keyboard\n", stderr);
        return 1;
    }
    // Without it Tessilo still records; only a desktop without minimise cannot end the capture.
    CMinimisedClickWatch clicks;
    if (!clicks.Start(GetCurrentThreadId(), kClickMessage))
        std::fputs("tessilo-prtsc: could not watch the mouse; a click into a minimised window that stays on"
                   " screen will not restore it\n",
                   stderr);
    // Made only once the hook is in place: whoever finds the window can press PrtSc.
    CScreenClipboard clipboard;
    CHiddenWindow window(clipboard);
    if (!window.Get()) {
        std::fputs("tessilo-prtsc: could not create its window\n", stderr);
        return 1;
    }
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    std::fputs("tessilo-prtsc: watching for PrtSc; Ctrl+C ends it\n", stdout);
    std::fflush(stdout);

    const bool wayland = CFrameFileScreen::WaylandSession();
    if (wayland)
        std::fputs("tessilo-prtsc: this is a Wayland session, where Wine cannot read the screen through XWayland:"
                   " pictures come from tessilo-screen's screen share, and without it every PrtSc is refused\n",
                   stderr);
    CFrameFileScreen frames;
    const int result = RunLoop(watch, clipboard, wayland ? &frames : nullptr, window.Get());
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    return result;
}
