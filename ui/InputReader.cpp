// Reading the six input boxes into a working copy of the settings. The first box that cannot
// be read or holds a value out of range is reported, and the focus goes there.
#include "app/MainDlg.h"
#include "capture/OutputNaming.h"
#include "capture/OutputPath.h"
#include "ui/ComboBox.h"

#include <cstdint>

namespace ts {

namespace {

constexpr int kSaveRateDecimals = 2;
constexpr double kMinSaveRateShown = 0.01;
constexpr double kMaxSaveRateShown = 50.0;
// Without long-path support Windows creates no file whose path reaches MAX_PATH (260).
constexpr size_t kMaxOutputPathLength = 259;

}  // namespace

bool CMainDlg::ReadFolder(CaptureSettings& settings, bool showErrors)
{
    HWND box = GetDlgItem(IDC_FOLDER);
    std::wstring folder;
    if (!combo::GetComboText(box, folder)) {
        if (showErrors) {
            ShowMessageFormat(IDS_ERR_COMBO_VALUE, MB_ICONERROR, IDC_FOLDER);
            ::SetFocus(box);
        }
        return false;
    }
    if (folder.empty()) {
        if (showErrors) {
            ShowMessage(IDS_ERR_FOLDER_EMPTY, MB_ICONERROR);
            ::SetFocus(box);
        }
        return false;
    }
    settings.folderHistory.Push(folder);
    combo::RefillCombo(box, settings.folderHistory);
    return true;
}

bool CMainDlg::ReadInputs(CaptureSettings& work)
{
    // Message 143 names the box that could not be read.
    auto refuseUnreadable = [this](int id) {
        ShowMessageFormat(IDS_ERR_COMBO_VALUE, MB_ICONERROR, id);
        ::SetFocus(GetDlgItem(id));
        return false;
    };

    if (!ReadFolder(work, true))
        return false;

    HWND nameBox = GetDlgItem(IDC_FILENAME);
    std::wstring prefix;
    if (!combo::GetComboText(nameBox, prefix))
        return refuseUnreadable(IDC_FILENAME);
    if (!IsAllowedPrefix(prefix)) {
        ShowMessage(IDS_ERR_FILENAME_CHARS, MB_ICONERROR);
        ::SetFocus(nameBox);
        return false;
    }
    work.specHistory.Push(prefix);
    combo::RefillCombo(nameBox, work.specHistory);

    HWND widthBox = GetDlgItem(IDC_SEQ_WIDTH);
    const int widthIndex = widthBox ? combo::Selection(widthBox) : -1;
    if (widthIndex < 0 || widthIndex > CaptureSettings::kMaxSeqWidth - CaptureSettings::kMinSeqWidth) {
        ShowMessage(IDS_ERR_SEQ_WIDTH, MB_ICONERROR);
        ::SetFocus(widthBox);
        return false;
    }

    std::wstring extension;
    if (!combo::GetComboSelection(GetDlgItem(IDC_EXTENSION), extension))
        return refuseUnreadable(IDC_EXTENSION);

    int32_t startNumber = 0;
    if (!combo::GetComboNumber(GetDlgItem(IDC_START_NUMBER), 0, startNumber))
        return refuseUnreadable(IDC_START_NUMBER);
    if (NamesADevice(prefix, widthIndex + CaptureSettings::kMinSeqWidth, startNumber)) {
        ShowMessage(IDS_ERR_DEVICE_NAME, MB_ICONERROR);
        ::SetFocus(nameBox);
        return false;
    }

    int32_t refreshRate = 0;
    if (!combo::GetComboNumber(GetDlgItem(IDC_SAVE_RATE), kSaveRateDecimals, refreshRate))
        return refuseUnreadable(IDC_SAVE_RATE);
    // Unsigned, so that one comparison also refuses zero and negative rates.
    if (static_cast<uint32_t>(refreshRate) - CaptureSettings::kMinRefreshRate >
        static_cast<uint32_t>(CaptureSettings::kMaxRefreshRate - CaptureSettings::kMinRefreshRate)) {
        ShowMessageFormat(IDS_ERR_SAVE_RATE, MB_ICONERROR, kMinSaveRateShown, kMaxSaveRateShown);
        ::SetFocus(GetDlgItem(IDC_SAVE_RATE));
        return false;
    }

    work.seqWidth = widthIndex + CaptureSettings::kMinSeqWidth;
    work.ext = extension;
    work.startNumber = startNumber;
    work.refreshRate = refreshRate;
    // Refused here rather than at the first save, after the window has gone.
    if (BuildOutputPath(work, work.startNumber).size() > kMaxOutputPathLength) {
        ShowMessage(IDS_ERR_PATH_TOO_LONG, MB_ICONERROR);
        ::SetFocus(GetDlgItem(IDC_FOLDER));
        return false;
    }
    return true;
}

}  // namespace ts
