// The two ends of a capture: the Start command and the restore from the taskbar.
#include "app/MainDlg.h"
#include "capture/OutputFolder.h"
#include "capture/OutputNaming.h"

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
    // Found now, not by the first save after the minimise: a read-only folder, or one Windows
    // guards (the Pictures folder is among those Controlled Folder Access guards by default).
    if (const uint32_t error = CheckFolderWritable(folder)) {
        ShowMessageFormat(error == ERROR_ACCESS_DENIED ? IDS_ERR_FOLDER_GUARDED : IDS_ERR_FOLDER_NOT_WRITABLE,
                          MB_ICONERROR, folder.c_str());
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
    capture.Start(g_settings);
}

void CMainDlg::OnSysCommand(UINT command, POINT /*point*/)
{
    msgHandled = FALSE;
    // Wine brings a window back with SC_MAXIMIZE when the window manager keeps it maximised (a
    // tiling desktop keeps every window so): that is a restore too.
    if (command != SC_RESTORE && command != SC_MAXIMIZE)
        return;
    // The capture is over once this returns true, so a second restore notification before the
    // question finds nothing to end.
    if (!capture.EndByRestore())
        return;
    msgHandled = TRUE;
    ShowWindow(command == SC_MAXIMIZE ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    // A window manager's restore arrives while Wine handles its X event, and until that returns no
    // box can paint or take input: ask afterwards.
    PostMessage(WM_CAPTURE_ENDED);
}

LRESULT CMainDlg::OnCaptureEnded(WPARAM, LPARAM)
{
    bool error = false;
    const std::wstring text = capture.EndText(error);
    if (error)
        ShowMessage(text, MB_ICONERROR);
    else if (ShowMessage(text, MB_YESNO) == IDYES)
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
