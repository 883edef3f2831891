// What the process sets up first, before any window or DLL.
#pragma once

// The DLL search limited to System32 (the program may run from Downloads), and no system box for
// a drive that is gone: a card pulled during a capture makes the save fail, and say so, instead
// of blocking the window with Windows' "no disk" box.
void PrepareProcess();
