// DLLs of Windows taken from System32 only, never from the program's folder, where anyone who
// can drop a file into Downloads could put one of the same name.
#pragma once

#include <windows.h>

// Loads `name` (a bare file name such as L"dwmapi.dll") and its dependencies from System32. Null
// when it cannot; the caller owns the reference (FreeLibrary).
HMODULE LoadSystemLibrary(const wchar_t* name);

// Run first in the entry point: limits the process's DLL search to System32 and loads from there
// the DLLs that Windows' own code (and Wine's) loads by bare name, so that such loads bind to
// them. Those stay loaded for the life of the process.
void LoadOnlySystemDlls();
