// The real tessilo.exe with the PrtSc companion, driven from outside as a user would drive it,
// checked on disk and against the screen.
#include "capture/MinimiseAnimation.h"
#include "res/resource.h"
#include "tests/support/ComboBox.h"
#include "tests/support/Files.h"
#include "tests/support/PngFile.h"
#include "tests/support/ProgramFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

uint32_t Little32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

std::wstring ShotName(int number, const std::wstring& ext)
{
    wchar_t name[64];
    _snwprintf(name, 64, L"shot%04d.%ls", number, ext.c_str());
    return name;
}

std::vector<std::wstring> Sequence(int first, size_t count, const std::wstring& ext)
{
    std::vector<std::wstring> names;
    for (size_t i = 0; i < count; ++i)
        names.push_back(ShotName(first + static_cast<int>(i), ext));
    return names;
}

// The screen as a bottom-up 32-bit picture, the layout of the clipboard's screen DIB.
std::string GrabScreenPixels()
{
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    std::string pixels(static_cast<size_t>(width) * height * 4, '\0');
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, GetSystemMetrics(SM_XVIRTUALSCREEN),
           GetSystemMetrics(SM_YVIRTUALSCREEN), SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    if (GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &pixels[0], &info, DIB_RGB_COLORS) != height)
        pixels.clear();
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Colour bytes only: the fourth byte of a screen pixel carries nothing.
bool SamePicture(const std::string& left, const std::string& right)
{
    if (left.size() != right.size())
        return false;
    for (size_t i = 0; i < left.size(); i += 4) {
        if (left.compare(i, 3, right, i, 3) != 0)
            return false;
    }
    return true;
}

// Checks a written BMP and gives its pixels.
std::string CheckScreenBmp(const std::string& file)
{
    EXPECT_GE(file.size(), 66u);
    if (file.size() < 66)
        return {};
    EXPECT_EQ(0, file.compare(0, 2, "BM"));
    EXPECT_EQ(file.size(), Little32(file, 2)) << "bfSize";
    EXPECT_EQ(66u, Little32(file, 10)) << "bfOffBits";
    EXPECT_EQ(40u, Little32(file, 14));
    EXPECT_EQ(static_cast<uint32_t>(GetSystemMetrics(SM_CXVIRTUALSCREEN)), Little32(file, 18));
    EXPECT_EQ(static_cast<uint32_t>(GetSystemMetrics(SM_CYVIRTUALSCREEN)), Little32(file, 22));
    return file.substr(66);
}

// A whole PNG with IHDR, of the screen's size, first.
void CheckScreenPng(const std::string& file)
{
    ASSERT_GE(file.size(), 8u + 25u + 12u);
    EXPECT_TRUE(IsWholePng(file));
    ASSERT_EQ(0, file.compare(12, 4, "IHDR"));
    EXPECT_EQ(static_cast<uint32_t>(GetSystemMetrics(SM_CXVIRTUALSCREEN)), Big32(file, 16));
    EXPECT_EQ(static_cast<uint32_t>(GetSystemMetrics(SM_CYVIRTUALSCREEN)), Big32(file, 20));
}

class CaptureEndToEnd : public ProgramFixture {
protected:
    // Waits for the next message box and answers it; false when none came. Notes when it came
    // and whether the dialog was shown normally then.
    bool AnswerNextBox(int button, ShownMessage& shown)
    {
        HWND box = WaitForMessageBox(program, 10000);
        if (!box)
            return false;
        boxAt = GetTickCount();
        shownNormalAtBox = ShownNormal();
        shown = AnswerMessageBox(box, button);
        return true;
    }

    // Ends a capture as the taskbar does and answers the question; the texts of that box.
    ShownMessage RestoreFromTaskbar(int answer)
    {
        PostMessageW(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
        ShownMessage question;
        AnswerNextBox(answer, question);
        return question;
    }

    void Close()
    {
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(2u, program.WaitForExit(10000));
    }

    // A full capture of about 1.5 s after the first press, ended from the taskbar: the files,
    // checked for their numbers, and the screen while the dialog was minimised.
    void CaptureAndRestore(const std::wstring& ext, int start)
    {
        ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
        // The clipboard is shared with the companion: on a loaded machine a tick can find it
        // still held and end the capture with message 131, as it would on Windows. That is the
        // product's answer to contention, not a fault, so such a run is tried again.
        for (int attempt = 1;; ++attempt) {
            ASSERT_NO_FATAL_FAILURE(FillInputs(output.Path(), ext, start, L"10"));
            PressStart();
            ASSERT_TRUE(WaitUntilMinimised(5000)) << Describe(WaitForMessageBox(program, 0));
            // The preparation picture still shows the dialog and the first capturing tick only
            // presses PrtSc: nothing is on disk when the window has just gone.
            EXPECT_TRUE(FilesIn(output.Path()).empty());
            screenWhileMinimised = GrabScreenPixels();
            // The first press waits for the desktop to take the window away.
            PumpFor(kDesktopMinimiseMs + 1500);
            if (IsIconic(dialog))
                break;
            HWND box = WaitForMessageBox(program, 2000);
            const ShownMessage ended = box ? ReadMessageBox(box) : ShownMessage();
            ASSERT_TRUE(attempt < 3 && ended.text.find(L"failed to copy from clipboard") == 0)
                << "ended early after " << FilesIn(output.Path()).size() << " files: " << Describe(box);
            AnswerMessageBox(box, IDOK);
            for (const std::wstring& name : FilesIn(output.Path()))
                DeleteFileW(output.File(name).c_str());
        }

        const ShownMessage question = RestoreFromTaskbar(IDNO);
        EXPECT_EQ(L"Confirmation", question.caption);
        EXPECT_TRUE(IsEndQuestion(question.text));
        EXPECT_TRUE(shownNormalAtBox);

        captured = FilesIn(output.Path());
        ASSERT_GE(captured.size(), 3u);
        EXPECT_EQ(Sequence(start, captured.size(), ext), captured);
        // One file per 100 ms at most, counting from the Start command, whose first tick only prepares.
        EXPECT_LE(captured.size(), (boxAt - startedAt) / 100);

        HWND startNumbers = GetDlgItem(dialog, IDC_START_NUMBER);
        EXPECT_EQ(3, ComboCount(startNumbers));
        EXPECT_EQ(std::to_wstring(start + static_cast<int>(captured.size())), ComboItem(startNumbers, 2));

        PumpFor(300);
        EXPECT_EQ(captured, FilesIn(output.Path())) << "a tick ran after the capture ended";
        Close();
    }

    DWORD boxAt = 0;
    bool shownNormalAtBox = false;
    std::vector<std::wstring> captured;
    std::string screenWhileMinimised;
};

TEST_F(CaptureEndToEnd, BmpCaptureWritesTheScreenAsNumberedFilesUntilTheRestore)
{
    ASSERT_NO_FATAL_FAILURE(CaptureAndRestore(L"bmp", 7));
    for (const std::wstring& name : captured) {
        SCOPED_TRACE(name);
        // Every picture was taken with the dialog out of the way, the one of Start included.
        EXPECT_TRUE(SamePicture(screenWhileMinimised, CheckScreenBmp(output.Read(name))));
    }
}

TEST_F(CaptureEndToEnd, PngCaptureWritesValidPicturesOfTheScreensSize)
{
    ASSERT_NO_FATAL_FAILURE(CaptureAndRestore(L"png", 0));
    for (const std::wstring& name : captured) {
        SCOPED_TRACE(name);
        CheckScreenPng(output.Read(name));
    }
}

TEST_F(CaptureEndToEnd, WithoutTheCompanionPreparationFailsAfterAboutOneSecond)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    bool minimised = false;
    HWND box = StartCaptureUntilMessage(minimised);
    ASSERT_NE(nullptr, box) << "no message within a minute of Start";
    // Ten preparation ticks, 100 ms apart; how many there were is counted in the in-process tests.
    EXPECT_GE(GetTickCount() - startedAt, 900u);
    EXPECT_FALSE(minimised);
    EXPECT_TRUE(ShownNormal());

    const ShownMessage message = AnswerMessageBox(box, IDOK);
    EXPECT_EQ(L"Error", message.caption);
    EXPECT_EQ(L"failed to preparing capture\n\nthe PrtSc key brought no picture of the screen: another program "
              L"may take the key, or an elevated window may be in front",
              message.text);
    EXPECT_TRUE(FilesIn(output.Path()).empty());
    Close();
}

TEST_F(CaptureEndToEnd, AnOutputFolderRemovedDuringTheCaptureEndsItWithTheFilesWrittenKept)
{
    const std::wstring folder = output.File(L"out");
    ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
    ASSERT_NO_FATAL_FAILURE(FillInputs(folder, L"bmp", 3, L"10"));
    PressStart();
    ASSERT_TRUE(WaitUntilMinimised(5000));
    ASSERT_TRUE(WaitForFiles(folder, 2, 5000));

    // Moved away rather than deleted, so that what was written can still be looked at.
    bool moved = false;
    for (int attempt = 0; attempt < 20 && !moved; ++attempt) {
        moved = MoveFileW(folder.c_str(), output.File(L"kept").c_str()) != FALSE;
        if (!moved)
            PumpFor(10);
    }
    ASSERT_TRUE(moved);

    ShownMessage message;
    ASSERT_TRUE(AnswerNextBox(IDOK, message));
    EXPECT_TRUE(shownNormalAtBox);
    EXPECT_EQ(L"Error", message.caption);
    EXPECT_EQ(L"failed to save image", message.text);

    const std::vector<std::wstring> names = FilesIn(output.File(L"kept"));
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(Sequence(3, names.size(), L"bmp"), names);
    for (const std::wstring& name : names) {
        SCOPED_TRACE(name);
        CheckScreenBmp(output.Read(L"kept\\" + name));
    }
    EXPECT_TRUE(FilesIn(folder).empty());
    Close();
}

TEST_F(CaptureEndToEnd, ElevenFilesToOverwriteAreNamedTenAndMoreAndOnlyYesDeletesThem)
{
    const std::vector<std::wstring> old = Sequence(0, 11, L"bmp");
    for (const std::wstring& name : old)
        ASSERT_TRUE(output.Write(name, "old"));
    ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
    ASSERT_NO_FATAL_FAILURE(FillInputs(output.Path(), L"bmp", 0, L"10"));

    PressStart();
    ShownMessage question;
    ASSERT_TRUE(AnswerNextBox(IDNO, question));
    EXPECT_EQ(L"Confirmation", question.caption);
    const std::wstring head = L"11 files below will be overwritten. Do you start capture after erasing these files?\n\n";
    EXPECT_EQ(0u, question.text.find(head)) << question.text;
    size_t listed = 0;
    for (const std::wstring& name : old)
        listed += question.text.find(name + L"\n") != std::wstring::npos ? 1 : 0;
    EXPECT_EQ(10u, listed);
    const std::wstring more = L"\n...\n";
    EXPECT_EQ(question.text.size() - more.size(), question.text.rfind(more)) << question.text;

    // No: nothing deleted and no capture, which would have minimised the window by now.
    PumpFor(700);
    EXPECT_TRUE(ShownNormal());
    EXPECT_EQ(old, FilesIn(output.Path()));
    for (const std::wstring& name : old)
        EXPECT_EQ("old", output.Read(name));

    PressStart();
    ASSERT_TRUE(AnswerNextBox(IDYES, question));
    ASSERT_TRUE(WaitUntilMinimised(5000));
    PumpFor(400);
    Close();
    for (const std::wstring& name : FilesIn(output.Path())) {
        SCOPED_TRACE(name);
        EXPECT_NE("old", output.Read(name));
    }
}

TEST_F(CaptureEndToEnd, AnOutputFolderThatCannotBeCreatedIsReported)
{
    ASSERT_TRUE(output.Write(L"blocker", "a file where a folder should be"));
    ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
    ASSERT_NO_FATAL_FAILURE(FillInputs(output.File(L"blocker\\shots"), L"bmp", 0, L"10"));
    PressStart();

    ShownMessage message;
    ASSERT_TRUE(AnswerNextBox(IDOK, message));
    EXPECT_EQ(L"Error", message.caption);
    EXPECT_EQ(L"failed to create the output folder", message.text);
    EXPECT_TRUE(ShownNormal());
    Close();
}

TEST_F(CaptureEndToEnd, ClosingDuringACaptureExitsWith2AndAsksNothing)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
    ASSERT_NO_FATAL_FAILURE(FillInputs(output.Path(), L"bmp", 0, L"20"));
    PressStart();
    ASSERT_TRUE(WaitUntilMinimised(5000));
    ASSERT_TRUE(WaitForFiles(output.Path(), 2, 5000));

    const size_t before = FilesIn(output.Path()).size();
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = STILL_ACTIVE;
    bool asked = false;
    for (int i = 0; i < 500 && exitCode == STILL_ACTIVE; ++i) {
        asked = asked || WaitForMessageBox(program, 0) != nullptr;
        exitCode = program.WaitForExit(20);
    }
    EXPECT_EQ(2u, exitCode);
    EXPECT_FALSE(asked);

    // At most the tick that was already running when the close came.
    const std::vector<std::wstring> names = FilesIn(output.Path());
    EXPECT_LE(names.size(), before + 1);
    EXPECT_EQ(Sequence(0, names.size(), L"bmp"), names);
    for (const std::wstring& name : names) {
        SCOPED_TRACE(name);
        CheckScreenBmp(output.Read(name));
    }
}

}  // namespace
