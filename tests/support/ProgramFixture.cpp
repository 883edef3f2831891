#include "tests/support/ProgramFixture.h"

#include "res/resource.h"
#include "tests/support/Clipboard.h"
#include "tests/support/Companion.h"
#include "tests/support/Files.h"
#include "tests/support/Program.h"

void ProgramFixture::SetUp()
{
    WithoutStoredSettings::SetUp();
    ASSERT_TRUE(EmptyTheClipboard());
}

void ProgramFixture::TearDown()
{
    program.Kill();
    companion.Kill();
    WithoutStoredSettings::TearDown();
}

void ProgramFixture::StartWithCompanion()
{
    ASSERT_NE(nullptr, StartCompanion(companion));
    StartProgram();
}

void ProgramFixture::StartProgram()
{
    dialog = ::StartProgram(program);
    ASSERT_NE(nullptr, dialog);
}

void ProgramFixture::FillInputs(const std::wstring& folder, const std::wstring& ext, int start,
                                const std::wstring& rate)
{
    ASSERT_TRUE(TypeIntoCombo(dialog, IDC_FOLDER, folder));
    ASSERT_TRUE(TypeIntoCombo(dialog, IDC_FILENAME, L"shot"));
    ASSERT_TRUE(SelectComboItem(dialog, IDC_SEQ_WIDTH, L"0000"));
    ASSERT_TRUE(SelectComboItem(dialog, IDC_EXTENSION, ext));
    ASSERT_TRUE(TypeIntoCombo(dialog, IDC_START_NUMBER, std::to_wstring(start)));
    ASSERT_TRUE(TypeIntoCombo(dialog, IDC_SAVE_RATE, rate));
}

void ProgramFixture::PressStart()
{
    startedAt = GetTickCount();
    ClickButton(dialog, IDOK);
}

bool ProgramFixture::WaitUntilMinimised(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (IsIconic(dialog))
            return true;
        if (WaitForMessageBox(program, 0))
            return false;
        PumpFor(10);
    }
    return false;
}

HWND ProgramFixture::StartCaptureUntilMessage(bool& minimised)
{
    minimised = false;
    FillInputs(output.Path(), L"bmp", 0, L"10");
    if (HasFatalFailure())
        return nullptr;
    PressStart();
    HWND box = nullptr;
    while (!box && GetTickCount() - startedAt < 60000) {
        minimised = minimised || IsIconic(dialog);
        box = WaitForMessageBox(program, 0);
        PumpFor(10);
    }
    return box;
}

bool ProgramFixture::WaitForFiles(const std::wstring& folder, size_t count, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (FilesIn(folder).size() < count && GetTickCount() - start < timeoutMs)
        PumpFor(20);
    return FilesIn(folder).size() >= count;
}

std::string Describe(HWND box)
{
    if (!box)
        return "no message box";
    const ShownMessage shown = ReadMessageBox(box);
    std::string text;
    for (wchar_t c : shown.caption + L": " + shown.text)
        text += c < 128 ? static_cast<char>(c) : '?';
    return text;
}
