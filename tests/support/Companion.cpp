#include "tests/support/Companion.h"

HWND WaitForCompanionWindow(const ChildProcess& companion, DWORD timeoutMs)
{
    return companion.WaitForWindow([](HWND window) { return ClassOf(window) == L"TessiloPrtScCompanion"; },
                                   timeoutMs);
}

HWND StartCompanion(ChildProcess& companion)
{
    if (!companion.Start(L"tessilo-prtsc.exe"))
        return nullptr;
    return WaitForCompanionWindow(companion, 10000);
}
