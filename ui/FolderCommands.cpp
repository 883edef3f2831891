// Open shows the output folder in the file browser; Select by Dialog picks it in the folder
// picker. Both read the folder into a fresh default record, so g_settings stays as it is.
#include "app/MainDlg.h"
#include "app/ResourceString.h"
#include "settings/CaptureSettings.h"
#include "ui/ComboBox.h"

#include <shlobj.h>

#include <string>
#include <utility>

namespace ts {

namespace {

// The picker's instruction, loaded on first use and kept for the life of the program.
const std::wstring& PickerInstruction()
{
    static const std::wstring instruction = ResourceString(IDS_SELECT_FOLDER);
    return instruction;
}

// One run of the shell's folder picker, started at an initial folder when there is one.
class CFolderPicker {
public:
    CFolderPicker(HWND owner, std::wstring initialFolder) : initialFolder(std::move(initialFolder))
    {
        info.hwndOwner = owner;
        info.pszDisplayName = displayName;
        info.lpszTitle = PickerInstruction().c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
        info.lpfn = Callback;
        info.lParam = reinterpret_cast<LPARAM>(this);
    }
    ~CFolderPicker() { ::CoTaskMemFree(items); }
    CFolderPicker(const CFolderPicker&) = delete;
    CFolderPicker& operator=(const CFolderPicker&) = delete;

    // False when the user cancelled or the choice is no file-system folder.
    bool Run(std::wstring& folder)
    {
        path[0] = L'\0';
        displayName[0] = L'\0';
        ::CoTaskMemFree(items);
        items = ::SHBrowseForFolderW(&info);
        if (!items || !::SHGetPathFromIDListW(items, path))
            return false;
        folder = path;
        return true;
    }

private:
    static int CALLBACK Callback(HWND picker, UINT message, LPARAM /*param*/, LPARAM data)
    {
        auto* self = reinterpret_cast<CFolderPicker*>(data);
        if (message != BFFM_INITIALIZED || self->initialFolder.empty())
            return 0;
        const auto folder = reinterpret_cast<LPARAM>(self->initialFolder.c_str());
        ::SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, folder);
        ::SendMessageW(picker, BFFM_SETEXPANDED, TRUE, folder);
        return 0;
    }

    std::wstring initialFolder;  // empty: the picker starts at its own default
    BROWSEINFOW info = {};
    wchar_t displayName[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    PIDLIST_ABSOLUTE items = nullptr;  // owned; freed with CoTaskMemFree
};

// Selects the list item equal to the text but for letter case, comparing item 0 last; else
// clears the selection and shows the text in the edit field.
void SetComboText(HWND box, const std::wstring& text)
{
    const LRESULT found = ::SendMessageW(box, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (found != CB_ERR && combo::Select(box, static_cast<int>(found)) != CB_ERR)
        return;
    combo::Select(box, -1);
    combo::ShowText(box, text);
}

}  // namespace

void CMainDlg::OnOpenFolder()
{
    CaptureSettings temporary;
    if (!ReadFolder(temporary, true))
        return;
    OpenFolder(temporary.folderHistory.Front());
}

void CMainDlg::OnSelectFolder()
{
    // An unreadable or empty box only means the picker starts without a folder.
    CaptureSettings temporary;
    std::wstring initialFolder;
    if (ReadFolder(temporary, false))
        initialFolder = temporary.folderHistory.Front();

    CFolderPicker picker(m_hWnd, initialFolder);
    std::wstring chosen;
    if (picker.Run(chosen))
        SetComboText(GetDlgItem(IDC_FOLDER), chosen);
}

}  // namespace ts
