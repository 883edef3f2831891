#include "settings/CaptureSettings.h"
#include "tests/support/MainDlgFixture.h"

#include <vector>

namespace {

class MainDlgInit : public MainDlgFixture {
protected:
    // Recreates the dialog after the test changed g_settings.
    void Recreate()
    {
        dialog->DestroyWindow();
        // The close saved g_settings; without the stored copy the new dialog shows it as it is.
        DeleteStoredSettings();
        dialog = std::make_unique<ts::CMainDlg>();
        ASSERT_NE(nullptr, dialog->Create());
    }
};

TEST_F(MainDlgInit, FirstStartShowsTheDefaults)
{
    const CaptureSettings defaults;
    EXPECT_EQ(std::vector<std::wstring>{defaults.folderHistory.Front()}, Items(IDC_FOLDER));
    EXPECT_EQ(0, Selection(IDC_FOLDER));
    EXPECT_EQ(defaults.folderHistory.Front(), EditText(IDC_FOLDER));

    EXPECT_EQ(std::vector<std::wstring>{L"Tessilo"}, Items(IDC_FILENAME));
    EXPECT_EQ(L"Tessilo", EditText(IDC_FILENAME));

    EXPECT_EQ((std::vector<std::wstring>{L"0", L"00", L"000", L"0000"}), Items(IDC_SEQ_WIDTH));
    EXPECT_EQ(3, Selection(IDC_SEQ_WIDTH));

    EXPECT_EQ((std::vector<std::wstring>{L"png", L"Png", L"PNG", L"bmp", L"Bmp", L"BMP"}), Items(IDC_EXTENSION));
    EXPECT_EQ(0, Selection(IDC_EXTENSION));

    EXPECT_EQ((std::vector<std::wstring>{L"0", L"1"}), Items(IDC_START_NUMBER));
    EXPECT_EQ(-1, Selection(IDC_START_NUMBER));
    EXPECT_EQ(L"0", EditText(IDC_START_NUMBER));

    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2", L"3", L"4", L"5", L"10", L"15", L"20", L"29.97", L"30"}),
              Items(IDC_SAVE_RATE));
    EXPECT_EQ(-1, Selection(IDC_SAVE_RATE));
    EXPECT_EQ(L"10", EditText(IDC_SAVE_RATE));
}

TEST_F(MainDlgInit, OpensHiddenCentredOnTheWorkAreaWithBothIconsAndTheFocusInTheFolderBox)
{
    EXPECT_FALSE(IsWindowVisible(*dialog));
    EXPECT_NE(0, dialog->SendMessage(WM_GETICON, ICON_BIG));
    EXPECT_NE(0, dialog->SendMessage(WM_GETICON, ICON_SMALL));

    RECT work = {}, window = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    dialog->GetWindowRect(&window);
    EXPECT_LE(std::abs((work.left + work.right) / 2 - (window.left + window.right) / 2), 1);
    EXPECT_LE(std::abs((work.top + work.bottom) / 2 - (window.top + window.bottom) / 2), 1);

    dialog->ShowWindow(SW_SHOW);
    EXPECT_TRUE(FocusIsIn(IDC_FOLDER));
}

TEST_F(MainDlgInit, ShowsStoredValuesWithoutSelectingListItems)
{
    g_settings.refreshRate = 2997;
    g_settings.startNumber = -3;
    g_settings.ext = L"PNG";
    g_settings.seqWidth = 2;
    g_settings.folderHistory.Resize(0);
    for (int i = 15; i >= 0; --i)
        g_settings.folderHistory.Push(L"C:\\shots" + std::to_wstring(i));
    Recreate();

    EXPECT_EQ(L"29.97", EditText(IDC_SAVE_RATE));
    EXPECT_EQ(-1, Selection(IDC_SAVE_RATE));
    EXPECT_EQ(L"-3", EditText(IDC_START_NUMBER));
    EXPECT_EQ(2, Selection(IDC_EXTENSION));
    EXPECT_EQ(1, Selection(IDC_SEQ_WIDTH));
    ASSERT_EQ(16, Count(IDC_FOLDER));
    EXPECT_EQ(L"C:\\shots0", ItemText(IDC_FOLDER, 0));
    EXPECT_EQ(L"C:\\shots15", ItemText(IDC_FOLDER, 15));
    EXPECT_EQ(0, Selection(IDC_FOLDER));

    g_settings.refreshRate = 150;
    Recreate();
    EXPECT_EQ(L"1.50", EditText(IDC_SAVE_RATE));
}

TEST_F(MainDlgInit, ValuesOutsideTheListsLeaveTheBoxesWithoutASelection)
{
    g_settings.seqWidth = 9;
    g_settings.ext = L"jpg";
    g_settings.specHistory.Resize(0);
    Recreate();
    EXPECT_EQ(-1, Selection(IDC_SEQ_WIDTH));
    EXPECT_EQ(-1, Selection(IDC_EXTENSION));
    EXPECT_EQ(0, Count(IDC_FILENAME));
    EXPECT_EQ(L"", EditText(IDC_FILENAME));
}

}  // namespace
