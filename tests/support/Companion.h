// Starts tessilo-prtsc.exe, the PrtSc companion, as a child process.
#pragma once

#include "tests/support/ChildProcess.h"

#include <windows.h>

// Its hidden window, found among all the process's top-level windows; null when none comes
// within `timeoutMs`.
HWND WaitForCompanionWindow(const ChildProcess& companion, DWORD timeoutMs);

// Starts the companion and waits until it watches the keyboard (its window exists only once
// its hook is in place); its window, or null.
HWND StartCompanion(ChildProcess& companion);
