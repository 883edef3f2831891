// The capture's look at a folder's free space (GetDiskFreeSpaceExW through this program's import
// table), while this lives: answered, and then, once, a step of the test's on the thread that
// looked, before its file is written: another program writing in between, or the write held back.
// One at a time.
#pragma once

#include "tests/support/ImportHook.h"

#include <functional>

class FreeSpaceLook {
public:
    FreeSpaceLook();
    ~FreeSpaceLook();
    FreeSpaceLook(const FreeSpaceLook&) = delete;
    FreeSpaceLook& operator=(const FreeSpaceLook&) = delete;

    bool Installed() const { return hook.Installed(); }
    // Run after the next look; replaces a step that has not run yet.
    void AfterNextLook(std::function<void()> step);
    // Whether the step still waits for a look.
    bool StepPending() const;

private:
    ImportHook hook;
};
