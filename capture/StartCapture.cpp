// The two ends of a capture: the Start command and the restore from the taskbar.
#include "app/MainDlg.h"
#include "capture/OutputFolder.h"
#include "capture/OutputNaming.h"
#include "capture/PrintScreen.h"
#include "ui/ComboBox.h"

#include <shellapi.h>

#include <algorithm>

namespace ts {

namespace {

constexpr size_t kListedNames = 10;

// At most ten names, each on its own line, then "..." when there are more.
std::wstring OverwriteList(const std::vector<std::wstring>& names)
{
    std::wstring list;
    for (size_t i = 0; i < std::min(names.size(), kListedNames); ++i)
        list += names[i] + L"\n";
    if (names.size() > kListedNames)
        list += L"...\n";
    return list;
}

}  // namespace

void CMainDlg::OnStart()
{
    CaptureSettings work = g_settings;
    if (!ReadInputs(work))
        return;
    const std::wstring folder = work.folderHistory.Front();
    if (EnsureOutputFolder(folder) != 0) {
        ShowMessage(IDS_ERR_CREATE_FOLDER, MB_ICONERROR);
        return;
    }

    std::vector<std::wstring> names;
    if (!FindFilesToOverwrite(work, names) || !HasRoomToStart(folder, names))
        return;
    if (!names.empty()) {
        std::wstring question;
        FormatResourceString(question, IDS_CONFIRM_OVERWRITE, static_cast<int>(names.size()),
                             OverwriteList(names).c_str());
        // No is the default: a reflexive Enter must not delete the user's files.
        if (ShowMessage(question, MB_YESNO | MB_DEFBUTTON2) != IDYES)
            return;
        for (const std::wstring& name : names) {
            const std::wstring path = JoinPath(folder, name);
            if (!DeleteFileW(path.c_str())) {
                ShowMessageFormat(IDS_ERR_DELETE_FILES, MB_ICONERROR, path.c_str());
                return;
            }
        }
    }

    g_settings = work;
    SaveSettings();

    capture.Reset();
    printScreen.Choose();
    // A picture copied before Start must never pass for the screen when the press puts none there.
    ClearClipboard(m_hWnd);
    printScreen.Simulate(m_hWnd);
    prepareAttempts = 0;
    StartCaptureTimer(100);
}

void CMainDlg::OnSysCommand(UINT command, POINT /*point*/)
{
    msgHandled = FALSE;
    // Wine brings a window back with SC_MAXIMIZE when the window manager keeps it maximised (a
    // tiling desktop keeps every window so): that is a restore too.
    if ((command != SC_RESTORE && command != SC_MAXIMIZE) || tickCount <= 0)
        return;
    msgHandled = TRUE;

    KillCaptureTimer();
    ShowWindow(command == SC_MAXIMIZE ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    ShowNextStartNumber();

    // A window manager's restore arrives while Wine handles its X event, and until that returns no
    // box can paint or take input: ask afterwards. The capture is over now, so a second restore
    // notification before the question finds nothing to end.
    tickCount = 0;
    PostMessage(WM_CAPTURE_ENDED);
}

void CMainDlg::ShowNextStartNumber()
{
    // 64 bits: the number after the last file may lie beyond the 32-bit range.
    const int64_t next = static_cast<int64_t>(g_settings.startNumber) + capture.savedCount;
    HWND start = GetDlgItem(IDC_START_NUMBER);
    const int selection = combo::Selection(start);
    const int count = combo::Count(start);
    if (count > 2)
        ::SendMessageW(start, CB_DELETESTRING, static_cast<WPARAM>(count - 1), 0);
    combo::Add(start, std::to_wstring(next));
    if (selection == 2)
        combo::Select(start, 2);
}

LRESULT CMainDlg::OnCaptureEnded(WPARAM, LPARAM)
{
    if (ShowMessage(IDS_CAPTURE_ENDED, MB_YESNO) == IDYES)
        OpenFolder(g_settings.folderHistory.Front());
    return 0;
}

bool CMainDlg::OpenFolder(const std::wstring& path)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32)
        return true;
    ShowMessage(IDS_ERR_OPEN_FOLDER, MB_ICONERROR);
    return false;
}

}  // namespace ts
