#include "tests/support/Companion.h"

HWND WaitForCompanionWindow(const ChildProcess& companion, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    do {
        for (HWND window : companion.TopLevelWindows()) {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (lstrcmpW(name, L"TessiloPrtScCompanion") == 0)
                return window;
        }
        PumpFor(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

HWND StartCompanion(ChildProcess& companion)
{
    if (!companion.Start(L"tessilo-prtsc.exe"))
        return nullptr;
    return WaitForCompanionWindow(companion, 10000);
}
