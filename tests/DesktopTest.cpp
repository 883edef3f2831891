// The real tessilo.exe on a desktop with a window manager, driven through the X server as a
// person drives it: real clicks and keys, and a restore asked of the window manager. Needs a
// window manager on the display (the test command starts openbox for these tests).
#include "res/resource.h"
#include "tests/support/ComboBox.h"
#include "tests/support/Files.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/XServer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool WaitUntilGone(HWND window, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (IsWindow(window) && GetTickCount() - start < timeoutMs)
        PumpFor(20);
    return !IsWindow(window);
}

bool Responds(HWND window)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored) != 0;
}

class Desktop : public ProgramFixture {
protected:
    // A box that has just appeared is given a moment to be mapped and painted, as a person
    // would see it before clicking.
    HWND WaitForQuestion()
    {
        HWND box = WaitForMessageBox(program, 5000);
        PumpFor(300);
        return box;
    }

    // Start clicked as a person clicks it; the capture runs minimised until it has written `files`.
    void ClickStartUntilFiles(size_t files)
    {
        ASSERT_NO_FATAL_FAILURE(FillInputs(output.Path(), L"bmp", 0, L"10"));
        ASSERT_TRUE(ClickOn(GetDlgItem(dialog, IDOK)));
        ASSERT_TRUE(WaitUntilMinimised(5000)) << Describe(WaitForMessageBox(program, 0));
        ASSERT_TRUE(WaitForFiles(output.Path(), files, 5000)) << Describe(WaitForMessageBox(program, 0));
    }

    void CloseWithEscape()
    {
        ASSERT_TRUE(ActivateWindow(dialog));
        PumpFor(300);
        ASSERT_TRUE(PressKey("Escape"));
        EXPECT_EQ(2u, program.WaitForExit(10000));
    }
};

TEST_F(Desktop, ACaptureEndedByTheWindowManagersRestoreAsksOnceAndTakesTheAnswerAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
    ASSERT_NO_FATAL_FAILURE(ClickStartUntilFiles(2));

    // As the window list of the window manager, or a taskbar, brings it back.
    ASSERT_TRUE(ActivateWindow(dialog));
    HWND box = WaitForQuestion();
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(ShownNormal());
    EXPECT_TRUE(IsEndQuestion(ReadMessageBox(box).text));
    const std::vector<std::wstring> written = FilesIn(output.Path());

    ASSERT_TRUE(ClickOn(GetDlgItem(box, IDNO)));
    ASSERT_TRUE(WaitUntilGone(box, 5000)) << "the question took no click";
    EXPECT_TRUE(Responds(dialog));
    EXPECT_EQ(nullptr, WaitForMessageBox(program, 700)) << "asked more than once";
    EXPECT_EQ(written, FilesIn(output.Path())) << "a file was written after the restore";
    EXPECT_EQ(std::to_wstring(written.size()), ComboItem(GetDlgItem(dialog, IDC_START_NUMBER), 2));
    ASSERT_NO_FATAL_FAILURE(CloseWithEscape());
}

TEST_F(Desktop, ACaptureStartedMaximisedEndsOnTheRestoreAndComesBackMaximised)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
    PostMessageW(dialog, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    PumpFor(500);
    ASSERT_TRUE(IsZoomed(dialog));
    ASSERT_NO_FATAL_FAILURE(ClickStartUntilFiles(2));

    // The window manager keeps it maximised, and Wine brings it back as a maximised window.
    ASSERT_TRUE(ActivateWindow(dialog));
    HWND box = WaitForQuestion();
    ASSERT_NE(nullptr, box) << FilesIn(output.Path()).size() << " files";
    EXPECT_TRUE(IsZoomed(dialog));
    const std::vector<std::wstring> written = FilesIn(output.Path());
    ASSERT_TRUE(ClickOn(GetDlgItem(box, IDNO)));
    ASSERT_TRUE(WaitUntilGone(box, 5000)) << "the question took no click";
    PumpFor(500);
    EXPECT_EQ(written, FilesIn(output.Path())) << "a file was written after the restore";
    ASSERT_NO_FATAL_FAILURE(CloseWithEscape());
}

TEST_F(Desktop, EnterAtTheOverwriteQuestionKeepsTheFilesAndStartsNothing)
{
    const std::vector<std::wstring> old = {L"shot0000.bmp", L"shot0001.bmp", L"shot0002.bmp"};
    for (const std::wstring& name : old)
        ASSERT_TRUE(output.Write(name, "old"));
    ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
    ASSERT_NO_FATAL_FAILURE(FillInputs(output.Path(), L"bmp", 0, L"10"));
    ASSERT_TRUE(ClickOn(GetDlgItem(dialog, IDOK)));

    HWND box = WaitForQuestion();
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(ActivateWindow(box));
    PumpFor(300);
    ASSERT_TRUE(PressKey("Return"));
    ASSERT_TRUE(WaitUntilGone(box, 5000));

    PumpFor(700);
    EXPECT_TRUE(ShownNormal()) << "a capture started";
    EXPECT_EQ(old, FilesIn(output.Path()));
    for (const std::wstring& name : old)
        EXPECT_TRUE(output.Read(name) == "old") << "overwritten";
    ASSERT_NO_FATAL_FAILURE(CloseWithEscape());
}

}  // namespace
