// Wine's ntdll exports its version; Windows' does not.
#pragma once

#include <windows.h>

inline bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
