// Starts a program of the build (beside the test program) and finds its windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // No STARTF_USESHOWWINDOW: the program is left to its default show command.
    static constexpr int kNoShowCommand = -1;

    // Starts `program` (a file name beside the test program) with `arguments`, and with
    // `showCommand` as its start-up show command unless it is kNoShowCommand.
    bool Start(const std::wstring& program, const std::wstring& arguments = L"", int showCommand = kNoShowCommand);
    // The same for a program given by its full path.
    bool StartPath(const std::wstring& path, const std::wstring& arguments = L"", int showCommand = kNoShowCommand);
    // A top-level window of the process that `match` takes, waiting up to `timeoutMs`.
    HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs) const;
    // A visible top-level window of the process with this class and caption (either may be
    // empty to match any), waiting up to `timeoutMs`.
    HWND WaitForWindow(const std::wstring& className, const std::wstring& caption, DWORD timeoutMs) const;
    // The exit code, or STILL_ACTIVE when it has not ended within `timeoutMs`.
    DWORD WaitForExit(DWORD timeoutMs) const;
    void Kill();
    HANDLE Handle() const { return info.hProcess; }

private:
    std::vector<HWND> TopLevelWindows() const;

    PROCESS_INFORMATION info = {};
};

// The class name and the caption of a window, which may belong to another process.
std::wstring ClassOf(HWND window);
std::wstring CaptionOf(HWND window);

// Pumps this thread's messages for `ms`, so that hooks and cross-process replies run.
void PumpFor(DWORD ms);
