// Faults from outside during a real capture on this thread: the clipboard busy or changed, the
// output folder gone, the disk full. Each ends the capture with its message and leaves the files
// written before whole.
#include "app/ResourceString.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Clipboard.h"
#include "tests/support/Files.h"
#include "tests/support/CaptureFixture.h"
#include "tests/support/PngFile.h"
#include "tests/support/RegistryValueOverride.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The BMP file a capture of this block writes: the file header, then the block unchanged.
std::string BmpFileOf(const std::string& block)
{
    std::string file(14, '\0');
    const uint32_t size = static_cast<uint32_t>(block.size() + 14);
    const uint32_t offBits = 14 + 40 + 12;
    file[0] = 'B';
    file[1] = 'M';
    std::memcpy(&file[2], &size, 4);
    std::memcpy(&file[10], &offBits, 4);
    return file + block;
}

std::wstring ShotName(int number, const wchar_t* ext)
{
    wchar_t name[32];
    _snwprintf(name, 32, L"shot%04d.%ls", number, ext);
    return name;
}


std::wstring Resource(UINT id)
{
    std::wstring text;
    LoadResourceString(id, text);
    return text;
}

class CaptureFault : public CaptureFixture {
protected:
    void TearDown() override
    {
        // The holder first: the clipboard it keeps open could not be emptied.
        holder.Kill();
        CaptureFixture::TearDown();
    }

    // The picture of the press just made and of every later one.
    void PlaceDib(const std::string& block) { ASSERT_TRUE(presses.Place(block)); }

    // Starts a capture at 10 per second into folder.
    void Start(const std::wstring& folder, int ext)
    {
        ClickStart(folder, ext);
        ASSERT_EQ(1u, dialog->timerId) << "the capture did not start";
    }

    // Runs the capture until it ends with a message; its text.
    std::wstring RunUntilMessage()
    {
        const DWORD start = GetTickCount();
        while (answerer->Shown().empty() && GetTickCount() - start < kHangMs)
            PumpFor(10);
        if (answerer->Shown().empty())
            return L"<no message in a minute>";
        EXPECT_EQ(1u, answerer->Shown().size());
        EXPECT_TRUE(IsWindowVisible(dialog->m_hWnd) && !IsIconic(dialog->m_hWnd)) << "the dialog was not shown again";
        EXPECT_EQ(0u, dialog->timerId) << "the timer still runs";
        return answerer->Shown()[0].text;
    }

    // Every file left is a whole frame of the sequence from 0, numbered without a gap.
    void ExpectWholeFrames(const std::wstring& folder, const wchar_t* ext, const std::string& block,
                           size_t atLeast)
    {
        const std::vector<std::wstring> names = FilesIn(folder);
        EXPECT_GE(names.size(), atLeast);
        EXPECT_EQ(static_cast<int32_t>(names.size()), dialog->capture.savedCount);
        const std::string bmp = BmpFileOf(block);
        for (size_t i = 0; i < names.size(); ++i) {
            SCOPED_TRACE(names[i]);
            EXPECT_EQ(ShotName(static_cast<int>(i), ext), names[i]);
            const std::string file = ReadWholeFile(folder + L"\\" + names[i]);
            if (ext[0] == L'p')
                EXPECT_TRUE(IsWholePng(file)) << file.size() << " bytes";
            else
                EXPECT_TRUE(file == bmp) << file.size() << " bytes, " << bmp.size() << " expected";
        }
    }

    ChildProcess holder;
};

TEST_F(CaptureFault, APictureOnTheClipboardBeforeStartIsNeverSavedAndStartEndsWith130)
{
    // No companion runs here: under Wine the press puts nothing on the clipboard.
    ASSERT_NE(0u, clipboard.Place(CF_DIB, MakeScreenDib(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), false)));
    dialog->ShowWindow(SW_SHOWNORMAL);
    const DWORD start = GetTickCount();
    Start(output.Path(), 3);
    // RunUntilMessage also checks that the dialog is shown and not minimised.
    EXPECT_EQ(Resource(IDS_ERR_PREPARE_CAPTURE), RunUntilMessage());
    // Ten preparation ticks, 100 ms apart.
    EXPECT_EQ(10, dialog->prepareAttempts);
    EXPECT_GE(GetTickCount() - start, 900u);
    EXPECT_TRUE(FilesIn(output.Path()).empty());
}

TEST_F(CaptureFault, TheClipboardHeldOpenByAnotherProgramEndsTheCaptureWith131)
{
    const std::string block = MakeScreenDib(64, 48, false);
    Start(output.Path(), 3);
    PlaceDib(block);
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), 2));

    // Ten intervals: no retry within one tick can outlast it. The holder empties the clipboard as
    // the system does when it places a picture, so the tick finds something new it cannot open.
    ASSERT_TRUE(holder.Start(L"clipboard_holder.exe", L"1000 empty"));
    EXPECT_EQ(Resource(IDS_ERR_COPY_CLIPBOARD), RunUntilMessage());
    ExpectWholeFrames(output.Path(), L"bmp", block, 2);
}

TEST_F(CaptureFault, APictureOfAnotherSizeEndsTheCaptureWith131AndIsNotSaved)
{
    const std::string block = MakeScreenDib(64, 48, false);
    Start(output.Path(), 3);
    PlaceDib(block);
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), 2));

    // Another byte size: a picture of the same pixel count would pass for the prepared one.
    PlaceDib(MakeScreenDib(80, 48, false));
    EXPECT_EQ(Resource(IDS_ERR_COPY_CLIPBOARD), RunUntilMessage());
    ExpectWholeFrames(output.Path(), L"bmp", block, 2);
}

TEST_F(CaptureFault, PressesThatBringNoPictureSaveNothingPressNoMoreAndEndWith151)
{
    const std::string block = MakeScreenDib(64, 48, false);
    Start(output.Path(), 3);
    PlaceDib(block);
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), 2));

    // As when an elevated window in front drops the key: the last picture stays on the clipboard.
    ASSERT_TRUE(presses.Place(""));
    DWORD lastFile = GetTickCount();
    size_t files = FilesIn(output.Path()).size();
    while (answerer->Shown().empty() && GetTickCount() - lastFile < kHangMs) {
        PumpFor(10);
        if (FilesIn(output.Path()).size() != files) {
            files = FilesIn(output.Path()).size();
            lastFile = GetTickCount();
        }
    }
    EXPECT_EQ(Resource(IDS_ERR_NO_NEW_PICTURE), RunUntilMessage());
    // About as long as the preparation waits, from the tick that found nothing.
    EXPECT_GE(GetTickCount() - lastFile, 800u);
    ExpectWholeFrames(output.Path(), L"bmp", block, 2);
    // The Start's press, the first tick's, and one after each file: none while waiting.
    EXPECT_EQ(static_cast<int>(files) + 2, presses.Presses());
}

TEST_F(CaptureFault, APictureThatComesLateWithinTheWaitIsSavedWithoutAGap)
{
    const std::string block = MakeScreenDib(64, 48, false);
    Start(output.Path(), 3);
    PlaceDib(block);
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), 2));

    ASSERT_TRUE(presses.Place(""));
    // The press already made may still bring its file.
    PumpFor(250);
    const size_t stalled = FilesIn(output.Path()).size();
    const int pressed = presses.Presses();
    PumpFor(400);
    EXPECT_EQ(stalled, FilesIn(output.Path()).size()) << "a picture already saved was saved again";
    EXPECT_EQ(pressed, presses.Presses()) << "a tick without a picture pressed again";
    ASSERT_TRUE(answerer->Shown().empty());

    PlaceDib(block);
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), stalled + 3));
    dialog->KillCaptureTimer();
    EXPECT_TRUE(answerer->Shown().empty());
    ExpectWholeFrames(output.Path(), L"bmp", block, stalled + 3);
}

TEST_F(CaptureFault, AFileInPlaceOfTheOutputFolderEndsTheCaptureWith132)
{
    // As root, a read-only folder does not stop a write; a file where the folder was does.
    const std::wstring folder = output.File(L"out");
    const std::string block = MakeScreenDib(64, 48, false);
    Start(folder, 3);
    PlaceDib(block);
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(folder, 2));

    const std::wstring kept = output.File(L"kept");
    ASSERT_TRUE(MoveFileW(folder.c_str(), kept.c_str()));
    ASSERT_TRUE(output.Write(L"out", "not a folder"));
    EXPECT_EQ(Resource(IDS_ERR_SAVE_IMAGE), RunUntilMessage());
    ExpectWholeFrames(kept, L"bmp", block, 2);
    EXPECT_EQ("not a folder", output.Read(L"out"));
}

// The environment variable as a wide string; empty when it is not set.
std::wstring WideEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::wstring(value, value + std::strlen(value)) : std::wstring();
}

// A small file system mounted by the test command (TESSILO_READONLY_DISK) that the command
// remounts read-only while the file TESSILO_READONLY_SWITCH exists, and writable again once it
// is gone.
class ReadOnlyDisk : public CaptureFault {
protected:
    void SetUp() override
    {
        CaptureFault::SetUp();
        root = WideEnvironment("TESSILO_READONLY_DISK");
        switchFile = WideEnvironment("TESSILO_READONLY_SWITCH");
        if (root.empty() || switchFile.empty())
            GTEST_SKIP() << "TESSILO_READONLY_DISK names no file system that can be made read-only";
        folder = root + L"\\capture";
        ASSERT_TRUE(MakeWritable());
        RemoveTree(folder);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }

    void TearDown() override
    {
        if (!root.empty()) {
            EXPECT_TRUE(MakeWritable());
            RemoveTree(folder);
        }
        CaptureFault::TearDown();
    }

    // Asks for the change and waits until a file can (or cannot) be made on the file system.
    bool MakeWritable() { return Switch(false); }
    bool MakeReadOnly() { return Switch(true); }

    bool Switch(bool readOnly)
    {
        if (readOnly)
            WriteWholeFile(switchFile, "");
        else
            DeleteFileW(switchFile.c_str());
        const std::wstring probe = root + L"\\probe";
        const DWORD start = GetTickCount();
        do {
            HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            const bool writable = file != INVALID_HANDLE_VALUE;
            if (writable)
                CloseHandle(file);
            if (writable != readOnly)
                return true;
            PumpFor(20);
        } while (GetTickCount() - start < kHangMs);
        return false;
    }

    std::wstring root;
    std::wstring switchFile;
    std::wstring folder;
};

TEST_F(ReadOnlyDisk, TheOutputFolderMadeReadOnlyDuringACaptureEndsItWith132)
{
    const std::string block = MakeScreenDib(64, 48, false);
    Start(folder, 3);
    PlaceDib(block);
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(folder, 2));

    ASSERT_TRUE(MakeReadOnly());
    EXPECT_EQ(Resource(IDS_ERR_SAVE_IMAGE), RunUntilMessage());
    ExpectWholeFrames(folder, L"bmp", block, 2);
}

// A small file system mounted by the test command (TESSILO_SMALL_DISK, a Windows path), filled
// here until only `frames` and a half pictures fit.
class FullDisk : public CaptureFault {
protected:
    void SetUp() override
    {
        CaptureFault::SetUp();
        root = WideEnvironment("TESSILO_SMALL_DISK");
        if (root.empty())
            GTEST_SKIP() << "TESSILO_SMALL_DISK names no small file system";
        folder = root + L"\\capture";
        RemoveTree(folder);
        DeleteFileW(Filler().c_str());
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }

    void TearDown() override
    {
        if (!root.empty()) {
            RemoveTree(folder);
            DeleteFileW(Filler().c_str());
        }
        CaptureFault::TearDown();
    }

    std::wstring Filler() const { return root + L"\\filler"; }

    void LeaveRoomFor(uint64_t bytes)
    {
        ULARGE_INTEGER available;
        ASSERT_TRUE(GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr));
        ASSERT_GT(available.QuadPart, bytes) << "the small file system is too small";
        HANDLE file = CreateFileW(Filler().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        const std::string chunk(1 << 16, 'f');
        uint64_t left = available.QuadPart - bytes;
        while (left > 0) {
            const DWORD part = static_cast<DWORD>(std::min<uint64_t>(left, chunk.size()));
            DWORD written = 0;
            if (!WriteFile(file, chunk.data(), part, &written, nullptr) || written == 0)
                break;
            left -= written;
        }
        CloseHandle(file);
        ASSERT_EQ(0u, left);
    }

    void FillsUpAndEndsWith132(int ext, const wchar_t* name)
    {
        const std::string block = MakeScreenDib(320, 240, true);
        ASSERT_NO_FATAL_FAILURE(LeaveRoomFor(block.size() * 5 / 2));
        Start(folder, ext);
        PlaceDib(block);
        EXPECT_EQ(Resource(IDS_ERR_SAVE_IMAGE), RunUntilMessage());
        // No cut file is left under the failed number: every name of the sequence is a frame.
        ExpectWholeFrames(folder, name, block, 2);
    }

    std::wstring root;
    std::wstring folder;
};

TEST_F(FullDisk, ABmpCaptureEndsWith132AndLeavesOnlyWholeFrames)
{
    FillsUpAndEndsWith132(3, L"bmp");
}

TEST_F(FullDisk, APngCaptureEndsWith132AndLeavesOnlyWholeFrames)
{
    FillsUpAndEndsWith132(0, L"png");
}

TEST_F(FullDisk, ASaveThatFindsTheDiskFullLeavesTheFileAlreadyUnderItsNameAsItWas)
{
    const std::string old(100000, 'o');
    CCaptureImage image;
    const std::string file = BmpFileOf(MakeScreenDib(320, 240, true));
    image.fileImage.assign(file.begin(), file.end());
    g_settings.folderHistory.Push(folder);
    g_settings.specHistory.Push(L"shot");
    g_settings.seqWidth = 4;
    g_settings.startNumber = 0;
    for (const wchar_t* ext : {L"bmp", L"png"}) {
        SCOPED_TRACE(ext);
        const std::wstring name = ShotName(0, ext);
        const std::wstring path = folder + L"\\" + name;
        ASSERT_TRUE(WriteWholeFile(path, old));
        // Room for a quarter of the picture: the write fails after the file was opened.
        ASSERT_NO_FATAL_FAILURE(LeaveRoomFor(file.size() / 4));

        g_settings.ext = ext;
        EXPECT_FALSE(image.Save());
        EXPECT_TRUE(ReadWholeFile(path) == old) << "the file was changed or removed";
        EXPECT_EQ(std::vector<std::wstring>{name}, FilesIn(folder));
        DeleteFileW(path.c_str());
        DeleteFileW(Filler().c_str());
    }
}

// Windows 11 can give PrtSc to screen snipping; its setting and the build number are planted in
// the tests' own prefix and put back afterwards.
class SnippingKey : public CaptureFault {
protected:
    // The key of a press stays down: no key-up is ever sent.
    static void ReleasePrintScreen() { keybd_event(VK_SNAPSHOT, 0, KEYEVENTF_KEYUP, 0); }
    static bool PrintScreenPressed() { return (GetAsyncKeyState(VK_SNAPSHOT) & 0x8000) != 0; }

    RegistryValueOverride snipping{HKEY_CURRENT_USER, L"Control Panel\\Keyboard", L"PrintScreenKeyForSnippingEnabled"};
    RegistryValueOverride build{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                L"CurrentBuildNumber"};
};

TEST_F(SnippingKey, TurnedOnItStopsStartBeforeAFolderIsMadeAFileDeletedOrAKeyPressed)
{
    ASSERT_TRUE(snipping.SetNumber(1));
    ASSERT_TRUE(build.SetString(L"22631"));
    ASSERT_TRUE(output.Write(ShotName(0, L"bmp"), "old"));
    const std::wstring missing = output.File(L"new");
    ReleasePrintScreen();
    for (const std::wstring& folder : {output.Path(), missing}) {
        SCOPED_TRACE(folder);
        // Yes, so that an overwrite question would delete.
        AnswerWith(IDYES);
        ClickStart(folder, 3);
        EXPECT_TRUE(answerer->ShowedOnlyTheError(
            L"the PrtSc key opens screen snipping on this Windows, so no screen picture reaches the clipboard\n\n"
            L"turn off \"Use the Print screen key to open screen capture\" in Settings, Accessibility, Keyboard, "
            L"and start again"));
    }
    EXPECT_EQ("old", output.Read(ShotName(0, L"bmp")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(missing.c_str()));
    EXPECT_EQ(0u, dialog->timerId);
    EXPECT_FALSE(PrintScreenPressed());
    EXPECT_FALSE(dialog->IsIconic());
    EXPECT_NE(missing, g_settings.folderHistory.Front());
    EXPECT_EQ(kMissingNumber, StoredNumber(kSettingsKey, L"Start")) << "the settings were saved";
}

// Windows 10 keeps the setting on another page, under another name.
TEST_F(SnippingKey, TurnedOnOnWindows10ItNamesWindows10sSetting)
{
    ASSERT_TRUE(snipping.SetNumber(1));
    ASSERT_TRUE(build.SetString(L"19045"));
    ClickStart(output.Path(), 3);
    EXPECT_TRUE(answerer->ShowedOnlyTheError(
        L"the PrtSc key opens screen snipping on this Windows, so no screen picture reaches the clipboard\n\n"
        L"turn off \"Use the PrtScn button to open screen snipping\" in Settings, Ease of Access, Keyboard, "
        L"and start again"));
    EXPECT_EQ(0u, dialog->timerId);
}

TEST_F(SnippingKey, WithoutTheSettingOnlyWindows11AddsTheHintToAFailedPreparation)
{
    ASSERT_TRUE(snipping.Delete());
    dialog->ShowWindow(SW_SHOWNORMAL);
    Start(output.Path(), 3);
    EXPECT_EQ(L"failed to preparing capture", RunUntilMessage()) << "Wine's own build is older than Windows 11";

    ASSERT_TRUE(build.SetString(L"22631"));
    AnswerWith(IDOK);
    Start(output.Path(), 3);
    EXPECT_EQ(L"failed to preparing capture\n\non Windows 11 the PrtSc key may open screen snipping instead: "
              L"turn off \"Use the Print screen key to open screen capture\" in Settings, Accessibility, Keyboard",
              RunUntilMessage());
    EXPECT_TRUE(FilesIn(output.Path()).empty());
}

TEST_F(SnippingKey, TurnedOffOnWindows11TheCaptureRunsAsEver)
{
    ASSERT_TRUE(snipping.SetNumber(0));
    ASSERT_TRUE(build.SetString(L"22631"));
    const std::string block = MakeScreenDib(64, 48, false);
    ReleasePrintScreen();
    Start(output.Path(), 3);
    EXPECT_TRUE(PrintScreenPressed());
    PlaceDib(block);
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), 2));
    EXPECT_TRUE(answerer->Shown().empty());
}

}  // namespace
