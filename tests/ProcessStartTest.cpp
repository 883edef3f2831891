// What the process sets up before its window.
#include "app/ProcessStart.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// A card pulled during a capture must fail the save, not block the window with Windows' box.
TEST(ProcessStart, CriticalErrorsComeToTheProgramNotAsABoxAndOtherModesStay)
{
    const UINT before = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    PrepareProcess();
    const UINT after = GetErrorMode();
    SetErrorMode(before);
    EXPECT_EQ(static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX), after);
}

}  // namespace
