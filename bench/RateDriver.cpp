// Runs one real capture of the screen with tessilo.exe and its PrtSc companion, driven through
// window messages, and prints the files written against the capture's due moments (one every
// interval of 100000 / hundredths ms) and the longest gap between consecutive files.
// Usage: rate_driver.exe folder ext rate seconds
#include "capture/CaptureSchedule.h"
#include "capture/MinimiseAnimation.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Companion.h"
#include "tests/support/Program.h"
#include "tests/support/RemoteDialog.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void Mark(const char* what)
{
    std::printf("%s\n", what);
    std::fflush(stdout);
    char answer[16];
    std::fgets(answer, sizeof answer, stdin);
}

// Last-write times of the files, in name order (the sequence order), in seconds.
std::vector<double> FileTimes(const std::wstring& folder)
{
    std::vector<std::pair<std::wstring, double>> files;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                const ULONGLONG t = (static_cast<ULONGLONG>(entry.ftLastWriteTime.dwHighDateTime) << 32)
                                    | entry.ftLastWriteTime.dwLowDateTime;
                files.emplace_back(entry.cFileName, static_cast<double>(t) / 1e7);
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    std::sort(files.begin(), files.end());
    std::vector<double> times;
    for (const auto& file : files)
        times.push_back(file.second);
    return times;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: rate_driver.exe folder ext rate seconds\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring ext = argv[2];
    const std::wstring rate = argv[3];
    const double seconds = _wtof(argv[4]);

    ChildProcess companion;
    ChildProcess program;
    HWND dialog = nullptr;
    if (!StartCompanion(companion) || !(dialog = StartProgram(program))) {
        std::fprintf(stderr, "could not start the programs\n");
        return 1;
    }
    if (!TypeIntoCombo(dialog, IDC_FOLDER, folder) || !TypeIntoCombo(dialog, IDC_FILENAME, L"rate")
        || !SelectComboItem(dialog, IDC_SEQ_WIDTH, L"0000") || !SelectComboItem(dialog, IDC_EXTENSION, ext)
        || !TypeIntoCombo(dialog, IDC_START_NUMBER, L"0") || !TypeIntoCombo(dialog, IDC_SAVE_RATE, rate)) {
        std::fprintf(stderr, "could not fill the dialog\n");
        return 1;
    }
    ClickButton(dialog, IDOK);
    const DWORD waitStart = GetTickCount();
    while (!IsIconic(dialog) && GetTickCount() - waitStart < 10000)
        PumpFor(5);
    if (!IsIconic(dialog)) {
        std::fprintf(stderr, "the capture did not start\n");
        return 1;
    }

    // The caller samples the CPU times of the processes at each mark (from /proc: Wine's
    // GetProcessTimes gives no figures of its own for other processes) and answers with a line.
    const DWORD started = GetTickCount();
    Mark("capturing");
    PumpFor(static_cast<DWORD>(seconds * 1000));
    const bool ranToTheEnd = IsIconic(dialog) != FALSE;
    const double elapsed = (GetTickCount() - started) / 1000.0;
    // The files of the measured span only, not those written while the capture is being ended.
    const std::vector<double> times = FileTimes(folder);
    Mark("stopping");

    std::wstring ending;
    if (!ranToTheEnd) {
        if (HWND box = WaitForMessageBox(program, 10000))
            ending = AnswerMessageBox(box, IDOK).text;
    } else {
        PostMessageW(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
        if (HWND box = WaitForMessageBox(program, 10000))
            AnswerMessageBox(box, IDNO);
    }
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    program.WaitForExit(10000);
    companion.Kill();

    double gap = 0;
    for (size_t i = 1; i < times.size(); ++i)
        gap = std::max(gap, times[i] - times[i - 1]);
    // The program's own interval; the first press after the minimise waits for the desktop to take
    // the window away (or one interval), and saves nothing.
    const int hundredths = static_cast<int>(_wtof(rate.c_str()) * 100 + 0.5);
    const double interval = hundredths > 0 ? CaptureIntervalMs(hundredths) / 1000.0 : 1;
    const double due = (elapsed - std::max(interval, kDesktopMinimiseMs / 1000.0)) / interval;
    std::printf("files %zu due %.0f gap %.0f%s", times.size(), due, gap * 1000,
                ranToTheEnd ? "" : " ended early:");
    if (!ranToTheEnd) {
        for (wchar_t& c : ending)
            c = c == L'\n' ? L' ' : c;
        std::printf(" %ls", ending.c_str());
    }
    std::printf("\n");
    return 0;
}
