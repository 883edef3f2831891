// Filling the main dialog when it is created.
#include "app/AppModule.h"
#include "app/MainDlg.h"
#include "app/WindowCentering.h"
#include "settings/CaptureSettings.h"
#include "ui/ComboBox.h"
#include "ui/FixedPoint.h"

namespace ts {

namespace {

const wchar_t* const kWidthItems[] = {L"0", L"00", L"000", L"0000"};
const wchar_t* const kStartNumberItems[] = {L"0", L"1"};
const wchar_t* const kSaveRateItems[] = {L"1", L"2", L"3", L"4", L"5", L"10", L"15", L"20", L"29.97", L"30"};

void SetIcons(HWND window)
{
    HINSTANCE instance = g_module.GetResourceInstance();
    auto big = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                             LR_DEFAULTCOLOR));
    auto small = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_DEFAULTCOLOR));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

}  // namespace

BOOL CMainDlg::OnInitDialog(HWND /*focus*/, LPARAM /*initParam*/)
{
    CenterWindowOn(m_hWnd, GetWorkArea());
    SetIcons(m_hWnd);

    if (CMessageLoop* loop = g_module.GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }

    InitResize(true, true, WS_THICKFRAME);
    // A capture pauses while the screen is locked or switched away from.
    screenPresence.Register(m_hWnd);

    // Whatever cannot be read keeps its default; nothing is reported.
    g_settings.Load();

    const CaptureSettings& settings = g_settings;
    combo::RefillCombo(GetDlgItem(IDC_FOLDER), settings.folderHistory);
    combo::RefillCombo(GetDlgItem(IDC_FILENAME), settings.specHistory);

    HWND width = GetDlgItem(IDC_SEQ_WIDTH);
    for (const wchar_t* item : kWidthItems)
        combo::Add(width, item);
    combo::Select(width, settings.seqWidth - 1);

    HWND extension = GetDlgItem(IDC_EXTENSION);
    for (const std::wstring& item : settings.extensions)
        combo::Add(extension, item);
    combo::Select(extension, settings.extensions.IndexOf(settings.ext));

    HWND start = GetDlgItem(IDC_START_NUMBER);
    for (const wchar_t* item : kStartNumberItems)
        combo::Add(start, item);
    combo::ShowText(start, FormatFixedPoint(settings.startNumber, 0));

    HWND rate = GetDlgItem(IDC_SAVE_RATE);
    for (const wchar_t* item : kSaveRateItems)
        combo::Add(rate, item);
    combo::ShowText(rate, FormatFixedPoint(settings.refreshRate, 2));

    g_settings.placement.Restore(m_hWnd, WindowPlacement::kFitIntoScreen);
    return TRUE;
}

}  // namespace ts
