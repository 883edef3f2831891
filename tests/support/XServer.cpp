#include "tests/support/XServer.h"

#include "tests/support/ChildProcess.h"

#include <fstream>
#include <sstream>

namespace {

// Wine keeps the X window of each top-level window in this property.
unsigned long XWindowOf(HWND window)
{
    return static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(GetPropW(window, L"__wine_x11_whole_window")));
}

}  // namespace

bool RunHostCommand(const std::string& command, DWORD timeoutMs)
{
    if (command.find('"') != std::string::npos)
        return false;
    // A host process gives Wine no exit code to wait on: the shell writes it to a file.
    static int runs = 0;
    const std::string unixResult = "/tmp/tessilo-host-" + std::to_string(GetCurrentProcessId()) + "-"
        + std::to_string(++runs);
    std::string windowsResult = "Z:" + unixResult;
    for (char& c : windowsResult)
        c = c == '/' ? '\\' : c;
    DeleteFileA(windowsResult.c_str());

    std::string line = "Z:\\bin\\sh -c \"" + command + "; echo $? >" + unixResult + ".part; mv "
        + unixResult + ".part " + unixResult + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);

    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        std::ifstream file(windowsResult);
        int code = -1;
        if (file >> code) {
            file.close();
            DeleteFileA(windowsResult.c_str());
            return code == 0;
        }
        PumpFor(10);
    }
    return false;
}

bool ClickOn(HWND window)
{
    RECT rect = {};
    if (!GetWindowRect(window, &rect))
        return false;
    std::ostringstream command;
    // Not --sync: it waits for a motion that never comes when the pointer is already there.
    command << "xdotool mousemove " << (rect.left + rect.right) / 2 << ' ' << (rect.top + rect.bottom) / 2
            << " sleep 0.2 click 1";
    return RunHostCommand(command.str());
}

bool PressKey(const std::string& key)
{
    return RunHostCommand("xdotool key " + key);
}

bool ActivateWindow(HWND window)
{
    const unsigned long xWindow = XWindowOf(window);
    return xWindow != 0 && RunHostCommand("xdotool windowactivate " + std::to_string(xWindow));
}

bool FocusAndClickInside(HWND window)
{
    const unsigned long xWindow = XWindowOf(window);
    if (!xWindow)
        return false;
    const std::string id = std::to_string(xWindow);
    return RunHostCommand("xdotool windowfocus " + id + " mousemove --window " + id + " 20 20 sleep 0.2 click 1");
}
