// Starts tessilo.exe, the program under test, as a child process.
#pragma once

#include "tests/support/ChildProcess.h"

#include <windows.h>

#include <string>

// Starts the program, with `showCommand` as its start-up show command unless it is
// kNoShowCommand, and waits for its main dialog; the dialog, or null when none came.
HWND StartProgram(ChildProcess& program, int showCommand = ChildProcess::kNoShowCommand);
// The same for a copy of the program at `path`.
HWND StartProgramAt(ChildProcess& program, const std::wstring& path);
