#include "capture/OutputFolder.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MainDlgFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(OutputFolder, RecognisesOnlyADriveLetterWithItsFinalBackslashAsARoot)
{
    EXPECT_TRUE(IsDriveRoot(L"D:\\"));
    EXPECT_FALSE(IsDriveRoot(L"D:"));
    EXPECT_FALSE(IsDriveRoot(L"D:\\shots"));
    EXPECT_FALSE(IsDriveRoot(L"\\\\server\\share\\"));
    EXPECT_FALSE(IsDriveRoot(L""));
    EXPECT_FALSE(IsDriveRoot(L"D:\\\\"));
}

TEST(OutputFolder, CreatesMissingParentsAcceptsExistingFoldersAndNeverCreatesARoot)
{
    TestFolder folder;
    EXPECT_EQ(0u, EnsureOutputFolder(folder.File(L"a\\b\\c")));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.File(L"a\\b\\c").c_str()));
    EXPECT_EQ(0u, EnsureOutputFolder(folder.File(L"a\\b\\c")));

    ASSERT_TRUE(folder.Write(L"file", "x"));
    EXPECT_NE(0u, EnsureOutputFolder(folder.File(L"file\\sub")));

    EXPECT_EQ(0u, EnsureOutputFolder(L"C:\\"));
    EXPECT_EQ(static_cast<uint32_t>(ERROR_ACCESS_DENIED), EnsureOutputFolder(L"Q:\\"));
}

class StartCommand : public MainDlgFixture {
protected:
    void SetUp() override
    {
        MainDlgFixture::SetUp();
        SetEditText(IDC_FOLDER, output.Path());
        SetEditText(IDC_FILENAME, L"scene");
        SelectItem(IDC_SEQ_WIDTH, 3);
        SelectItem(IDC_EXTENSION, 0);
        SetEditText(IDC_START_NUMBER, L"5");
        SetEditText(IDC_SAVE_RATE, L"10");
    }

    void WriteFrames(int first, int count)
    {
        for (int i = first; i < first + count; ++i) {
            wchar_t name[32];
            _snwprintf(name, 32, L"scene%04d.png", i);
            ASSERT_TRUE(output.Write(name, "old"));
        }
    }

    void Start() { dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

    TestFolder output;
};

TEST_F(StartCommand, WithNothingToOverwriteArmsTheTimerAndCommitsTheSettings)
{
    MessageBoxAnswerer answerer(IDOK);
    Start();
    EXPECT_TRUE(answerer.Shown().empty());
    EXPECT_EQ(1u, dialog->timerId);
    EXPECT_EQ(output.Path(), g_settings.folderHistory.Front());
    EXPECT_EQ(L"scene", g_settings.specHistory.Front());
    EXPECT_EQ(5, g_settings.startNumber);
    EXPECT_FALSE(dialog->capture.ready);
    EXPECT_EQ(0, dialog->prepareAttempts);
}

TEST_F(StartCommand, FileNamesWithBlanksDotsBracketsPercentOrOtherScriptsStart)
{
    for (const wchar_t* name : {L"", L"take 1.v2.", L"[a] (b) 100%", L"\u753b\u9762_"}) {
        SCOPED_TRACE(name);
        SetEditText(IDC_FILENAME, name);
        MessageBoxAnswerer answerer(IDOK);
        Start();
        EXPECT_TRUE(answerer.Shown().empty()) << answerer.Shown()[0].text;
        EXPECT_EQ(1u, dialog->timerId);
        EXPECT_EQ(name, g_settings.specHistory.Front());
    }
}

TEST_F(StartCommand, ElevenFilesAreAskedAboutWithTenNamesAndNoKeepsEverything)
{
    WriteFrames(5, 11);
    const CaptureSettings before = g_settings;
    MessageBoxAnswerer answerer(IDNO);
    Start();

    ASSERT_EQ(1u, answerer.Shown().size());
    const ShownMessage& question = answerer.Shown()[0];
    EXPECT_EQ(L"Confirmation", question.caption);
    EXPECT_EQ(0u, question.text.find(L"11 files below will be overwritten."));
    EXPECT_NE(std::wstring::npos, question.text.find(L"scene0005.png\n"));
    EXPECT_NE(std::wstring::npos, question.text.find(L"\n...\n"));
    size_t listed = 0;
    for (size_t at = question.text.find(L".png\n"); at != std::wstring::npos; at = question.text.find(L".png\n", at + 1))
        ++listed;
    EXPECT_EQ(10u, listed);

    EXPECT_TRUE(output.Exists(L"scene0015.png"));
    EXPECT_EQ(0u, dialog->timerId);
    EXPECT_EQ(before.startNumber, g_settings.startNumber);
    EXPECT_EQ(before.folderHistory.Front(), g_settings.folderHistory.Front());
}

TEST_F(StartCommand, YesDeletesEveryListedFileAndStarts)
{
    WriteFrames(5, 11);
    WriteFrames(1, 2);   // below the start number: not part of the new sequence
    MessageBoxAnswerer answerer(IDYES);
    Start();
    ASSERT_EQ(1u, answerer.Shown().size());
    for (int i = 5; i < 16; ++i)
        EXPECT_FALSE(output.Exists(L"scene00" + std::to_wstring(i / 10) + std::to_wstring(i % 10) + L".png")) << i;
    EXPECT_TRUE(output.Exists(L"scene0001.png"));
    EXPECT_EQ(1u, dialog->timerId);
}

TEST_F(StartCommand, AFileThatCannotBeDeletedIsNamedAndNothingStarts)
{
    WriteFrames(5, 3);
    // Held open without delete sharing, the second file cannot be deleted.
    HANDLE held = CreateFileW(output.File(L"scene0006.png").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    MessageBoxAnswerer answerer(IDYES);
    Start();
    CloseHandle(held);

    // Both the question and the error were answered through the same hook.
    ASSERT_EQ(2u, answerer.Shown().size());
    EXPECT_EQ(L"Error", answerer.Shown()[1].caption);
    EXPECT_EQ(L"failed to delete files.\n\n" + output.File(L"scene0006.png"), answerer.Shown()[1].text);
    EXPECT_EQ(0u, dialog->timerId);
    // Listing order decides which were tried; the held one and every later one remain.
    EXPECT_TRUE(output.Exists(L"scene0006.png"));
}

TEST_F(StartCommand, AFolderThatCannotBeCreatedIsReported)
{
    ASSERT_TRUE(output.Write(L"blocker", "x"));
    SetEditText(IDC_FOLDER, output.File(L"blocker\\shots"));
    MessageBoxAnswerer answerer(IDOK);
    Start();
    EXPECT_TRUE(answerer.ShowedOnlyTheError(L"failed to create the output folder"));
    EXPECT_EQ(0u, dialog->timerId);
}

TEST_F(StartCommand, RestoringDuringACaptureAddsTheNextNumberAndAsks)
{
    dialog->tickCount = 3;
    dialog->capture.savedCount = 25;
    g_settings.startNumber = 100;
    SelectItem(IDC_START_NUMBER, 1);
    MessageBoxAnswerer answerer(IDNO);
    dialog->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    // Under a window manager the restore comes inside Wine's X event handling, where no box can
    // paint or take input: the question waits until the restore has returned. A second restore
    // notification before it finds no capture left to end.
    EXPECT_TRUE(answerer.Shown().empty());
    dialog->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(0, dialog->tickCount);
    PumpFor(50);

    ASSERT_EQ(1u, answerer.Shown().size());
    EXPECT_EQ(L"Capture is ended. Open the output folder?", answerer.Shown()[0].text);
    EXPECT_EQ(3, Count(IDC_START_NUMBER));
    EXPECT_EQ(L"125", ItemText(IDC_START_NUMBER, 2));
    EXPECT_EQ(1, Selection(IDC_START_NUMBER));

    // A second capture replaces the third item and keeps it selected.
    SelectItem(IDC_START_NUMBER, 2);
    dialog->tickCount = 1;
    dialog->capture.savedCount = 7;
    dialog->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpFor(50);
    EXPECT_EQ(2u, answerer.Shown().size());
    EXPECT_EQ(3, Count(IDC_START_NUMBER));
    EXPECT_EQ(L"107", ItemText(IDC_START_NUMBER, 2));
    EXPECT_EQ(2, Selection(IDC_START_NUMBER));
    EXPECT_EQ(L"107", EditText(IDC_START_NUMBER));
}

TEST_F(StartCommand, ARestoreWithoutACaptureAsksNothing)
{
    MessageBoxAnswerer answerer(IDNO);
    dialog->ShowWindow(SW_SHOWMINIMIZED);
    dialog->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpFor(50);
    EXPECT_TRUE(answerer.Shown().empty());
    EXPECT_FALSE(dialog->IsIconic());
}

TEST_F(StartCommand, TheNextNumberAfterTheLargestStartNumberDoesNotWrap)
{
    dialog->tickCount = 1;
    dialog->capture.savedCount = 2;
    g_settings.startNumber = INT32_MAX;
    MessageBoxAnswerer answerer(IDNO);
    dialog->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpFor(50);
    EXPECT_EQ(L"2147483649", ItemText(IDC_START_NUMBER, 2));
}

}  // namespace
