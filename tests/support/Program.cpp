#include "tests/support/Program.h"

HWND StartProgram(ChildProcess& program, int showCommand)
{
    if (!program.Start(L"tessilo.exe", L"", showCommand))
        return nullptr;
    return program.WaitForWindow(L"#32770", L"Tessilo", 20000);
}

HWND StartProgramAt(ChildProcess& program, const std::wstring& path)
{
    if (!program.StartPath(path))
        return nullptr;
    return program.WaitForWindow(L"#32770", L"Tessilo", 20000);
}
