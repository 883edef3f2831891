#include "capture/OutputFolder.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Clipboard.h"
#include "tests/support/Files.h"
#include "tests/support/MainDlgFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/PressPictures.h"
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

    // Refused before anything is made, asked or pressed: one error box, the focus on a box, no
    // timer, no folder, no PrtSc press (the key of a press stays down: no key-up is ever sent).
    void ExpectRefusedBeforeAnythingIsDone(const std::wstring& folder, const std::wstring& error, int focus)
    {
        keybd_event(VK_SNAPSHOT, 0, KEYEVENTF_KEYUP, 0);
        SetFocus(Box(IDC_OTHER_GROUP));
        MessageBoxAnswerer answerer(IDOK);
        Start();
        EXPECT_TRUE(answerer.ShowedOnlyTheError(error));
        EXPECT_TRUE(FocusIsIn(focus)) << "focus not on " << focus;
        EXPECT_EQ(0u, dialog->timerId);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str())) << "the folder was made";
        EXPECT_FALSE(GetAsyncKeyState(VK_SNAPSHOT) & 0x8000) << "PrtSc was pressed";
        EXPECT_FALSE(dialog->IsIconic());
    }

    void ExpectStarted()
    {
        MessageBoxAnswerer answerer(IDOK);
        Start();
        EXPECT_TRUE(answerer.Shown().empty()) << answerer.Shown()[0].text;
        EXPECT_EQ(1u, dialog->timerId);
    }

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
    EXPECT_EQ(CaptureState::Preparing, dialog->capture.State());
    EXPECT_EQ(0, dialog->capture.PrepareAttempts());
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

// COM1 to COM9 and LPT1 to LPT9 are ports to Windows 10 and Wine, whatever the extension.
TEST_F(StartCommand, AFileNameThatPassesADeviceNameIsRefused)
{
    const std::wstring folder = output.File(L"new");
    SetEditText(IDC_FOLDER, folder);
    const struct {
        const wchar_t* prefix;
        int widthIndex;
        const wchar_t* start;
        bool refused;
    } cases[] = {{L"COM", 0, L"1", true},   {L"lpt", 0, L"9", true},  {L"Com", 0, L"0", true},
                 {L"LPT", 0, L"-3", true},  {L"COM", 1, L"1", false}, {L"COM", 0, L"10", false},
                 {L"COMA", 0, L"1", false}, {L"CO", 0, L"1", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.prefix) + L" from " + c.start);
        SetEditText(IDC_FILENAME, c.prefix);
        SelectItem(IDC_SEQ_WIDTH, c.widthIndex);
        SetEditText(IDC_START_NUMBER, c.start);
        if (c.refused)
            ExpectRefusedBeforeAnythingIsDone(
                folder, L"file name cannot be a device name of Windows (COM1 to COM9, LPT1 to LPT9)", IDC_FILENAME);
        else
            ExpectStarted();
    }
}

// Without long-path support Windows creates no file whose path reaches 260 characters.
TEST_F(StartCommand, AFirstPathLongerThanWindowsWritesIsRefusedBeforeTheFolderIsMade)
{
    // "\scene0005.png" follows the folder.
    const size_t folderLength = 260 - 14;
    const std::wstring tooLong = output.File(std::wstring(folderLength - output.Path().size() - 1, L'd'));
    ASSERT_EQ(folderLength, tooLong.size());
    SetEditText(IDC_FOLDER, tooLong);
    ExpectRefusedBeforeAnythingIsDone(tooLong, L"the output file path is too long for Windows (259 characters at most)",
                                      IDC_FOLDER);

    const std::wstring longest = tooLong.substr(0, folderLength - 1);
    ASSERT_TRUE(CreateDirectoryW(longest.c_str(), nullptr));
    SetEditText(IDC_FOLDER, longest);
    ExpectStarted();
}

// The file system takes scene0005.png and Scene0005.png for one file.
TEST_F(StartCommand, FilesNamedInAnotherLetterCaseAreAskedAboutAndNoKeepsThem)
{
    const std::vector<std::pair<std::wstring, std::string>> files = {
        {L"Scene0005.png", "five"}, {L"SCENE0007.PNG", "seven"}, {L"SCENE0004.png", "four"}, {L"Scene005.png", "short"}};
    for (const auto& file : files)
        ASSERT_TRUE(output.Write(file.first, file.second));
    MessageBoxAnswerer answerer(IDNO);
    Start();
    ASSERT_EQ(1u, answerer.Shown().size());
    const std::wstring head = L"2 files below will be overwritten. Do you start capture after erasing these files?\n\n";
    EXPECT_EQ(head, answerer.Shown()[0].text.substr(0, head.size()));
    EXPECT_NE(std::wstring::npos, answerer.Shown()[0].text.find(L"\nScene0005.png\n"));
    EXPECT_NE(std::wstring::npos, answerer.Shown()[0].text.find(L"\nSCENE0007.PNG\n"));
    for (const auto& file : files)
        EXPECT_EQ(file.second, output.Read(file.first)) << file.first;
    EXPECT_EQ(0u, dialog->timerId);
}

// From start -2 at width 3 a capture writes scene0-2, scene0-1, scene000 ...
TEST_F(StartCommand, ASecondCaptureFromTheSameNegativeStartAsksAboutTheFirstOnesFiles)
{
    ClipboardOwner clipboard;
    PressPictures presses(clipboard);
    SelectItem(IDC_SEQ_WIDTH, 2);
    SelectItem(IDC_EXTENSION, 3);
    SetEditText(IDC_START_NUMBER, L"-2");
    MessageBoxAnswerer answerer(IDNO);
    Start();
    ASSERT_EQ(1u, dialog->timerId);
    // Start emptied the clipboard: this stands for the picture of its press, and of every later one.
    ASSERT_TRUE(presses.Place(MakeScreenDib(32, 24, false)));
    const DWORD begun = GetTickCount();
    while (FilesIn(output.Path()).size() < 3 && GetTickCount() - begun < 30000)
        PumpFor(10);
    dialog->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpFor(50);
    const std::vector<std::wstring> written = FilesIn(output.Path());
    ASSERT_GE(written.size(), 3u) << "the first capture wrote too few files";
    EXPECT_EQ(L"scene0-1.bmp", written[0]);
    EXPECT_EQ(L"scene0-2.bmp", written[1]);
    EXPECT_EQ(L"scene000.bmp", written[2]);

    SetEditText(IDC_START_NUMBER, L"-2");
    Start();
    ASSERT_EQ(2u, answerer.Shown().size()) << "no question before the files were replaced";
    const std::wstring& question = answerer.Shown()[1].text;
    EXPECT_EQ(0u, question.find(std::to_wstring(written.size()) + L" files below will be overwritten."));
    for (const std::wstring& name : written)
        EXPECT_NE(std::wstring::npos, question.find(name + L"\n")) << name;
    EXPECT_EQ(written, FilesIn(output.Path()));
    EXPECT_EQ(0u, dialog->timerId);
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

TEST_F(StartCommand, ARestoreWithoutACaptureAsksNothing)
{
    MessageBoxAnswerer answerer(IDNO);
    dialog->ShowWindow(SW_SHOWMINIMIZED);
    dialog->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpFor(50);
    EXPECT_TRUE(answerer.Shown().empty());
    EXPECT_FALSE(dialog->IsIconic());
}

}  // namespace
