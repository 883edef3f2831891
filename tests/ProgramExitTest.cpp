#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

namespace {

HWND StartProgram(ChildProcess& program)
{
    if (!program.Start(L"tessilo.exe"))
        return nullptr;
    return program.WaitForWindow(L"#32770", L"Tessilo", 20000);
}

TEST(ProgramExit, EscEndsTheProgramWithExitCode2)
{
    ChildProcess program;
    HWND dialog = StartProgram(program);
    ASSERT_NE(nullptr, dialog);

    // The key goes to the control with the focus, as a key press would.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui));
    HWND target = gui.hwndFocus ? gui.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);

    EXPECT_EQ(2u, program.WaitForExit(20000));
}

TEST(ProgramExit, TheCloseBoxEndsTheProgramWithExitCode2)
{
    ChildProcess program;
    HWND dialog = StartProgram(program);
    ASSERT_NE(nullptr, dialog);

    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);

    EXPECT_EQ(2u, program.WaitForExit(20000));
}

}  // namespace
