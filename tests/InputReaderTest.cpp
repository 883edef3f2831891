#include "tests/support/MainDlgFixture.h"
#include "tests/support/MessageBoxAnswerer.h"

#include <initializer_list>

namespace {

constexpr wchar_t kComboError[] = L"failed to get value from a combo box. ID: ";
constexpr wchar_t kRateError[] = L"save rate exceeds the range (0.01 \uff5e 50.00)";

class InputReader : public MainDlgFixture {
protected:
    void SetUp() override
    {
        MainDlgFixture::SetUp();
        work = g_settings;
    }

    // Reads into a fresh copy and expects exactly one error box with this text and the focus on id.
    void ExpectRefused(const std::wstring& text, int id)
    {
        work = g_settings;
        SetFocus(Box(IDC_OTHER_GROUP));
        MessageBoxAnswerer answerer;
        EXPECT_FALSE(dialog->ReadInputs(work));
        EXPECT_TRUE(answerer.ShowedOnlyTheError(text));
        EXPECT_TRUE(FocusIsIn(id)) << "focus not on " << id;
    }

    void ExpectAccepted()
    {
        work = g_settings;
        MessageBoxAnswerer answerer;
        EXPECT_TRUE(dialog->ReadInputs(work));
        EXPECT_TRUE(answerer.Shown().empty());
    }

    CaptureSettings work;
};

TEST_F(InputReader, ReadsEveryBoxIntoTheRecord)
{
    SetEditText(IDC_FOLDER, L"  D:\\shots  ");
    SetEditText(IDC_FILENAME, L"scene");
    SelectItem(IDC_SEQ_WIDTH, 2);
    SelectItem(IDC_EXTENSION, 4);
    SetEditText(IDC_START_NUMBER, L"-3");
    SetEditText(IDC_SAVE_RATE, L"29.97");
    ExpectAccepted();

    EXPECT_EQ(L"D:\\shots", work.folderHistory.Front());
    EXPECT_EQ(g_settings.folderHistory.Size() + 1, work.folderHistory.Size());
    EXPECT_EQ(L"scene", work.specHistory.Front());
    EXPECT_EQ(3, work.seqWidth);
    EXPECT_EQ(L"Bmp", work.ext);
    EXPECT_EQ(-3, work.startNumber);
    EXPECT_EQ(2997, work.refreshRate);

    // The folder and file-name lists now show the histories, their first entry selected.
    ASSERT_EQ(static_cast<int>(work.folderHistory.Size()), Count(IDC_FOLDER));
    EXPECT_EQ(L"D:\\shots", ItemText(IDC_FOLDER, 0));
    EXPECT_EQ(0, Selection(IDC_FOLDER));
    EXPECT_EQ(L"D:\\shots", EditText(IDC_FOLDER));
    EXPECT_EQ(L"scene", ItemText(IDC_FILENAME, 0));
    EXPECT_EQ(0, Selection(IDC_FILENAME));
}

TEST_F(InputReader, AnEmptyFileNameAndAnEmptyStartNumberAreAccepted)
{
    SetEditText(IDC_FILENAME, L"");
    SetEditText(IDC_START_NUMBER, L" \r\n");
    ExpectAccepted();
    EXPECT_EQ(L"", work.specHistory.Front());
    EXPECT_EQ(0, work.startNumber);
}

TEST_F(InputReader, ConvertsStartNumbersAndSaveRates)
{
    const struct {
        int id;
        const wchar_t* text;
        int CaptureSettings::*field;
        int value;
    } cases[] = {{IDC_START_NUMBER, L"7.9", &CaptureSettings::startNumber, 7},
                 {IDC_START_NUMBER, L" 99999999999 ", &CaptureSettings::startNumber, 2147483647},
                 {IDC_SAVE_RATE, L"0.01", &CaptureSettings::refreshRate, 1},
                 {IDC_SAVE_RATE, L"50", &CaptureSettings::refreshRate, 5000}};
    for (const auto& c : cases) {
        SetEditText(c.id, c.text);
        ExpectAccepted();
        EXPECT_EQ(c.value, work.*c.field) << c.text;
    }
}

TEST_F(InputReader, RefusesSaveRatesOutsideTheRange)
{
    for (const wchar_t* text : {L"50.01", L"0.009", L"", L"-0.5"}) {
        SCOPED_TRACE(text);
        SetEditText(IDC_SAVE_RATE, text);
        ExpectRefused(kRateError, IDC_SAVE_RATE);
    }
}

TEST_F(InputReader, RefusesNumbersThatDoNotParse)
{
    for (const wchar_t* text : {L"1,5", L"1e2"}) {
        SCOPED_TRACE(text);
        SetEditText(IDC_SAVE_RATE, text);
        ExpectRefused(kComboError + std::to_wstring(IDC_SAVE_RATE), IDC_SAVE_RATE);
    }
    SetEditText(IDC_START_NUMBER, L"x7");
    ExpectRefused(kComboError + std::to_wstring(IDC_START_NUMBER), IDC_START_NUMBER);
}

TEST_F(InputReader, RefusesAFileNameWindowsWouldReadAsAnotherFolderOrAStream)
{
    // Every refused character is in the naming tests; here, that the box reports it.
    const std::wstring error = L"file name cannot contain any of these characters: \\ / : * ? \" < > |";
    for (const wchar_t* name : {L"a:b", L"..\\a", L"a\tb"}) {
        SCOPED_TRACE(name);
        SetEditText(IDC_FILENAME, name);
        ExpectRefused(error, IDC_FILENAME);
        EXPECT_EQ(g_settings.specHistory.Size(), work.specHistory.Size()) << "a refused name went into the history";
    }
}

TEST_F(InputReader, RefusesABlankFolderWithOrWithoutAMessage)
{
    SetEditText(IDC_FOLDER, L"   ");
    ExpectRefused(L"save folder path is empty", IDC_FOLDER);

    SetFocus(Box(IDC_OTHER_GROUP));
    MessageBoxAnswerer answerer;
    CaptureSettings copy = g_settings;
    EXPECT_FALSE(dialog->ReadFolder(copy, false));
    EXPECT_TRUE(answerer.Shown().empty());
    EXPECT_FALSE(FocusIsIn(IDC_FOLDER));
}

TEST_F(InputReader, RefusesListsWithoutASelection)
{
    SelectItem(IDC_SEQ_WIDTH, -1);
    ExpectRefused(L"sequence no width exceed the range", IDC_SEQ_WIDTH);

    SelectItem(IDC_SEQ_WIDTH, 0);
    SelectItem(IDC_EXTENSION, -1);
    ExpectRefused(kComboError + std::to_wstring(IDC_EXTENSION), IDC_EXTENSION);
}

TEST_F(InputReader, ReportsOnlyTheFirstWrongInput)
{
    SelectItem(IDC_EXTENSION, -1);
    SetEditText(IDC_START_NUMBER, L"x7");
    SetEditText(IDC_SAVE_RATE, L"0");
    SelectItem(IDC_SEQ_WIDTH, -1);
    ExpectRefused(L"sequence no width exceed the range", IDC_SEQ_WIDTH);
}

}  // namespace
