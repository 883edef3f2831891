#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Program.h"
#include "tests/support/RemoteDialog.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = {};
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

// The program with its main dialog up; closed with the close box, answering any box it shows.
class RunningProgram {
public:
    explicit RunningProgram(int showCommand = ChildProcess::kNoShowCommand) : dialog(StartProgram(program, showCommand))
    {
    }

    HWND Dialog() const { return dialog; }
    // Waits until the program takes input: the start-up show command has been applied by then.
    void WaitUntilShown() const
    {
        WaitForInputIdle(program.Handle(), 10000);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    }
    HWND Box(int id) const { return GetDlgItem(dialog, id); }
    std::wstring Text(int id) const { return TextOf(Box(id)); }
    int Selection(int id) const { return static_cast<int>(SendMessageW(Box(id), CB_GETCURSEL, 0, 0)); }

    // Types and picks the inputs; the lists by position.
    void Fill(const std::wstring& folder, const std::wstring& fileName, int width, int ext, const std::wstring& start,
              const std::wstring& rate) const
    {
        TypeIntoCombo(dialog, IDC_FOLDER, folder);
        TypeIntoCombo(dialog, IDC_FILENAME, fileName);
        SendMessageW(Box(IDC_SEQ_WIDTH), CB_SETCURSEL, static_cast<WPARAM>(width), 0);
        SendMessageW(Box(IDC_EXTENSION), CB_SETCURSEL, static_cast<WPARAM>(ext), 0);
        TypeIntoCombo(dialog, IDC_START_NUMBER, start);
        TypeIntoCombo(dialog, IDC_SAVE_RATE, rate);
    }
    void PressStart() const { ClickButton(dialog, IDOK); }

    // Answers boxes until the process has ended; its exit code.
    DWORD Close()
    {
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 30000) {
            DWORD code = program.WaitForExit(50);
            if (code != STILL_ACTIVE)
                return code;
            if (HWND box = WaitForMessageBox(program, 0))
                PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return STILL_ACTIVE;
    }

private:
    ChildProcess program;
    HWND dialog;
};

// True once the Start command has written `prefix` as the current one.
bool WaitForSavedPrefix(const std::wstring& prefix)
{
    const DWORD start = GetTickCount();
    do {
        if (StoredString(kSettingsKey + L"\\Spec\\00", nullptr) == prefix)
            return true;
        PumpFor(20);
    } while (GetTickCount() - start < 20000);
    return false;
}

class SettingsRestart : public WithoutStoredSettings {};

// The values that the first run confirmed with Start.
void ExpectTheConfirmedValues(const char* run, const RunningProgram& program, const std::wstring& folder)
{
    SCOPED_TRACE(run);
    EXPECT_EQ(folder, program.Text(IDC_FOLDER));
    EXPECT_EQ(L"restart", program.Text(IDC_FILENAME));
    EXPECT_EQ(1, program.Selection(IDC_SEQ_WIDTH));
    EXPECT_EQ(3, program.Selection(IDC_EXTENSION));
    EXPECT_EQ(L"7", program.Text(IDC_START_NUMBER));
    EXPECT_EQ(L"2.50", program.Text(IDC_SAVE_RATE));
}

TEST_F(SettingsRestart, ValuesConfirmedWithStartComeBackAndValuesNeverStartedDoNot)
{
    TestFolder output;
    const std::wstring folder = output.File(L"shots");
    {
        RunningProgram first;
        ASSERT_NE(nullptr, first.Dialog());
        first.Fill(folder, L"restart", 1, 3, L"7", L"2.5");
        first.PressStart();
        ASSERT_TRUE(WaitForSavedPrefix(L"restart"));
        EXPECT_EQ(2u, first.Close());
    }
    {
        RunningProgram second;
        ASSERT_NE(nullptr, second.Dialog());
        ExpectTheConfirmedValues("second run", second, folder);
        second.Fill(output.File(L"never"), L"never", 3, 0, L"99", L"30");
        EXPECT_EQ(2u, second.Close());
    }
    RunningProgram third;
    ASSERT_NE(nullptr, third.Dialog());
    ExpectTheConfirmedValues("third run", third, folder);
    EXPECT_EQ(2u, third.Close());
}

// What a close while maximised leaves: "Fullscreen" 1 and the last normal rectangle.
void StoreMaximisedPlacement()
{
    const std::pair<const wchar_t*, DWORD> values[] = {
        {L"Fullscreen", 1}, {L"Left", 100}, {L"Top", 80}, {L"Right", 700}, {L"Bottom", 560}};
    for (const auto& value : values)
        ASSERT_NO_FATAL_FAILURE(PlantNumber(kSettingsKey + L"\\Window", value.first, value.second));
}

TEST_F(SettingsRestart, AWindowClosedMaximisedComesBackMaximisedUnlessStartedMinimised)
{
    // Under Wine without a window manager a window maximised after it was shown is soon made
    // normal again, so the first close while maximised is stored by hand; the second start
    // follows the close of the first.
    ASSERT_NO_FATAL_FAILURE(StoreMaximisedPlacement());
    // As a shell starts a program, and with no start-up information at all.
    for (int showCommand : {SW_SHOWNORMAL, ChildProcess::kNoShowCommand}) {
        SCOPED_TRACE(showCommand);
        RunningProgram program(showCommand);
        ASSERT_NE(nullptr, program.Dialog());
        program.WaitUntilShown();
        EXPECT_TRUE(IsZoomed(program.Dialog()));
        EXPECT_EQ(2u, program.Close());
    }
    RunningProgram minimised(SW_SHOWMINNOACTIVE);
    ASSERT_NE(nullptr, minimised.Dialog());
    minimised.WaitUntilShown();
    EXPECT_TRUE(IsIconic(minimised.Dialog()));
    EXPECT_EQ(2u, minimised.Close());
}

}  // namespace
