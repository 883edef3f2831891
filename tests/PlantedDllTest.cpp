// A copy of tessilo.exe in a folder that also holds DLLs named as Windows' own, as a Downloads
// folder may: none of them may load, however much of the program runs.
#include "app/SystemLibrary.h"
#include "res/resource.h"
#include "tests/support/Companion.h"
#include "tests/support/Files.h"
#include "tests/support/Program.h"
#include "tests/support/ProgramFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Built from one source by the tests' CMake into the "planted" folder beside the test program.
const wchar_t* const kPlanted[] = {
    L"apphelp.dll", L"clbcatq.dll",  L"cryptbase.dll", L"dwmapi.dll",  L"explorerframe.dll",
    L"ntmarta.dll", L"oleacc.dll",   L"profapi.dll",   L"propsys.dll", L"setupapi.dll",
    L"userenv.dll", L"uxtheme.dll",  L"version.dll",   L"windowscodecs.dll",
};

std::wstring TestProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

class PlantedDlls : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        const std::wstring bin = TestProgramFolder();
        ASSERT_TRUE(CopyFileW((bin + L"tessilo.exe").c_str(), planted.File(L"tessilo.exe").c_str(), FALSE));
        for (const wchar_t* name : kPlanted)
            ASSERT_TRUE(CopyFileW((bin + L"planted\\" + name).c_str(), planted.File(name).c_str(), FALSE))
                << Narrow(name);
    }

    // The planted DLLs that some loader took, by their markers.
    std::string Loaded() const
    {
        std::string names;
        for (const std::wstring& file : FilesIn(planted.Path())) {
            const size_t at = file.rfind(L".loaded");
            if (at != std::wstring::npos && at + 7 == file.size())
                names += (names.empty() ? "" : ", ") + Narrow(file.substr(0, at));
        }
        return names;
    }

    // Up to two files in `folder`, then the restore from the taskbar and No to the question. A
    // clipboard still held by the companion on a loaded machine ends a run early: tried again.
    void Capture(const std::wstring& ext)
    {
        const std::wstring folder = output.File(ext);
        for (int attempt = 1;; ++attempt) {
            ASSERT_NO_FATAL_FAILURE(FillInputs(folder, ext, 0, L"10"));
            PressStart();
            ASSERT_TRUE(WaitUntilMinimised(10000)) << Describe(WaitForMessageBox(program, 0));
            if (WaitForFiles(folder, 2, 10000) && IsIconic(dialog))
                break;
            HWND box = WaitForMessageBox(program, 2000);
            const ShownMessage ended = box ? ReadMessageBox(box) : ShownMessage();
            ASSERT_TRUE(attempt < 3 && ended.text.find(L"failed to copy from clipboard") == 0) << Describe(box);
            AnswerMessageBox(box, IDOK);
        }
        PostMessageW(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
        HWND question = WaitForMessageBox(program, 10000);
        ASSERT_NE(nullptr, question);
        AnswerMessageBox(question, IDNO);
    }

    // A dialog the click opens, closed again with Cancel.
    void OpenAndCancel(int button, const std::function<bool(HWND)>& isIt)
    {
        ClickButton(dialog, button);
        HWND opened = program.WaitForWindow(isIt, 20000);
        ASSERT_NE(nullptr, opened);
        PostMessageW(opened, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < 500 && IsWindow(opened); ++i)
            PumpFor(20);
        EXPECT_FALSE(IsWindow(opened));
    }

    TestFolder planted;
};

TEST_F(PlantedDlls, TheMarkersShowALoad)
{
    TestFolder elsewhere;
    const std::wstring copy = elsewhere.File(L"marker-check.dll");
    ASSERT_TRUE(CopyFileW((TestProgramFolder() + L"planted\\version.dll").c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(nullptr, LoadLibraryW(copy.c_str()));
    EXPECT_TRUE(elsewhere.Exists(L"marker-check.dll.loaded"));
}

// The helper that others use for their own loads, such as dwmapi's.
TEST_F(PlantedDlls, TheSystemLibraryLoadTakesSystem32sDllAndNeverTheProgramsFolders)
{
    const HMODULE dwmapi = LoadSystemLibrary(L"dwmapi.dll");
    EXPECT_NE(nullptr, dwmapi);
    FreeLibrary(dwmapi);

    const std::wstring beside = TestProgramFolder() + L"tessilo-planted-check.dll";
    ASSERT_TRUE(CopyFileW((TestProgramFolder() + L"planted\\version.dll").c_str(), beside.c_str(), FALSE));
    EXPECT_EQ(nullptr, LoadSystemLibrary(L"tessilo-planted-check.dll"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((beside + L".loaded").c_str()));
    DeleteFileW((beside + L".loaded").c_str());
    DeleteFileW(beside.c_str());
}

TEST_F(PlantedDlls, NoneLoadsThroughAStartAboutThePickerBothCapturesAndTheClose)
{
    ASSERT_NE(nullptr, StartCompanion(companion));
    dialog = StartProgramAt(program, planted.File(L"tessilo.exe"));
    ASSERT_NE(nullptr, dialog) << "loaded: " << Loaded();

    const auto isAbout = [](HWND window) { return IsWindowVisible(window) && CaptionOf(window) == L"About"; };
    ASSERT_NO_FATAL_FAILURE(OpenAndCancel(ID_APP_ABOUT, isAbout)) << "loaded: " << Loaded();
    const HWND main = dialog;
    const auto isPicker = [main](HWND window) {
        return window != main && IsWindowVisible(window) && ClassOf(window) == L"#32770";
    };
    ASSERT_NO_FATAL_FAILURE(OpenAndCancel(ID_SELECT_FOLDER, isPicker)) << "loaded: " << Loaded();
    ASSERT_NO_FATAL_FAILURE(Capture(L"png")) << "loaded: " << Loaded();
    ASSERT_NO_FATAL_FAILURE(Capture(L"bmp")) << "loaded: " << Loaded();

    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(2u, program.WaitForExit(20000));
    EXPECT_EQ("", Loaded());
}

}  // namespace
