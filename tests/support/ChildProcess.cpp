#include "tests/support/ChildProcess.h"

namespace {

// The folder of the running test program, with a trailing backslash.
std::wstring TestProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

}  // namespace

ChildProcess::~ChildProcess()
{
    Kill();
}

bool ChildProcess::Start(const std::wstring& program, const std::wstring& arguments, int showCommand)
{
    return StartPath(TestProgramFolder() + program, arguments, showCommand);
}

bool ChildProcess::StartPath(const std::wstring& path, const std::wstring& arguments, int showCommand)
{
    Kill();
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (showCommand != kNoShowCommand) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
    }
    return CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info) != FALSE;
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId)
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring CaptionOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::vector<HWND> ChildProcess::TopLevelWindows() const
{
    WindowSearch search = {info.dwProcessId, {}};
    if (info.hProcess)
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ChildProcess::WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs) const
{
    const DWORD start = GetTickCount();
    do {
        for (HWND window : TopLevelWindows()) {
            if (match(window))
                return window;
        }
        PumpFor(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

HWND ChildProcess::WaitForWindow(const std::wstring& className, const std::wstring& caption, DWORD timeoutMs) const
{
    return WaitForWindow(
        [&](HWND window) {
            return IsWindowVisible(window) && (className.empty() || ClassOf(window) == className)
                && (caption.empty() || CaptionOf(window) == caption);
        },
        timeoutMs);
}

DWORD ChildProcess::WaitForExit(DWORD timeoutMs) const
{
    if (!info.hProcess || WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

void ChildProcess::Kill()
{
    if (info.hProcess) {
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info.hProcess, 1);
            WaitForSingleObject(info.hProcess, 5000);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    info = {};
}

void PumpFor(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}
