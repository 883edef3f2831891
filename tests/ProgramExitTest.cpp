#include "tests/support/ProgramFixture.h"

#include <gtest/gtest.h>

namespace {

class ProgramExit : public ProgramFixture {};

TEST_F(ProgramExit, EscEndsTheProgramWithExitCode2)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());

    // The key goes to the control with the focus, as a key press would.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui));
    HWND target = gui.hwndFocus ? gui.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);

    EXPECT_EQ(2u, program.WaitForExit(20000));
}

TEST_F(ProgramExit, TheCloseBoxEndsTheProgramWithExitCode2)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());

    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);

    EXPECT_EQ(2u, program.WaitForExit(20000));
}

}  // namespace
