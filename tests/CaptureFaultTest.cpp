// Faults from outside during a real capture on this thread: the clipboard busy or changed, the
// output folder gone, the disk full. Each ends the capture with its message and leaves the files
// written before whole.
#include "app/ResourceString.h"
#include "capture/DiskReserve.h"
#include "capture/GrabbedPictures.h"
#include "image/ScreenDib.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Clipboard.h"
#include "tests/support/Files.h"
#include "tests/support/FrameSave.h"
#include "tests/support/FreeSpaceLook.h"
#include "tests/support/CaptureFixture.h"
#include "tests/support/ImportHook.h"
#include "tests/support/PngFile.h"
#include "tests/support/RegistryValueOverride.h"
#include "tests/support/ScreenCover.h"
#include "tests/support/XServer.h"
#include "ui/ByteSize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
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

    // The key of a press stays down: no key-up is ever sent.
    static void ReleasePrintScreen() { keybd_event(VK_SNAPSHOT, 0, KEYEVENTF_KEYUP, 0); }
    static bool PrintScreenPressed() { return (GetAsyncKeyState(VK_SNAPSHOT) & 0x8000) != 0; }

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
        EXPECT_EQ(static_cast<int64_t>(names.size()), dialog->capture.SavedCount());
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
    EXPECT_EQ(10, dialog->capture.PrepareAttempts());
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

// Found at Start, before any question or press: nothing is minimised, deleted or saved, and the
// message names the folder.
TEST_F(ReadOnlyDisk, AFolderThatCannotBeWrittenIsNamedAtStartAndNothingHappens)
{
    ASSERT_TRUE(WriteWholeFile(folder + L"\\" + ShotName(0, L"bmp"), "old"));
    ASSERT_TRUE(MakeReadOnly());
    ReleasePrintScreen();
    AnswerWith(IDYES);
    ClickStart(folder, 3);
    ASSERT_EQ(1u, answerer->Shown().size());
    const std::wstring text = answerer->Shown()[0].text;
    EXPECT_EQ(0u, text.find(L"cannot write files in the output folder:\n" + folder + L"\n\n"))
        << std::string(text.begin(), text.end());
    EXPECT_EQ(0u, dialog->timerId);
    EXPECT_FALSE(PrintScreenPressed());
    EXPECT_FALSE(dialog->IsIconic());
    EXPECT_EQ("old", ReadWholeFile(folder + L"\\" + ShotName(0, L"bmp")));
}

// Windows' guard of the user's folders answers a program it does not know with "access denied",
// as a folder without permission does: here a folder the host made immutable.
TEST_F(CaptureFault, AFolderThatRefusesAccessIsNamedWithWindowsGuardOfFoldersAtStart)
{
    const std::wstring folder = output.File(L"guarded");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::string unix = UnixPathOf(folder);
    ASSERT_FALSE(unix.empty());
    if (!RunHostCommand("chattr +i '" + unix + "'"))
        GTEST_SKIP() << "the host cannot make a folder immutable here";
    ClickStart(folder, 3);
    RunHostCommand("chattr -i '" + unix + "'");
    std::wstring guarded;
    FormatResourceString(guarded, IDS_ERR_FOLDER_GUARDED, folder.c_str());
    EXPECT_TRUE(answerer->ShowedOnlyTheError(guarded));
    EXPECT_EQ(0u, dialog->timerId);
    EXPECT_TRUE(FilesIn(folder).empty());
}

// A small file system mounted by the test command (TESSILO_SMALL_DISK, a Windows path), a little
// larger than the free space a capture keeps, filled here until only so much room is left.
class FullDisk : public CaptureFault {
protected:
    static constexpr uint64_t kReserve = disk::kReserveFloor;

    void SetUp() override
    {
        CaptureFault::SetUp();
        ASSERT_TRUE(freeSpace.Installed());
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

    uint64_t FreeBytes() const
    {
        ULARGE_INTEGER available = {};
        EXPECT_TRUE(GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr));
        return available.QuadPart;
    }

    // What Start counts as one file: the whole screen as a 32-bit BMP.
    static uint64_t ScreenFile()
    {
        return screendib::FileSize(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    }

    void LeaveRoomFor(uint64_t bytes)
    {
        DeleteFileW(Filler().c_str());
        const uint64_t available = FreeBytes();
        ASSERT_GT(available, bytes) << "the small file system is too small";
        HANDLE file = CreateFileW(Filler().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        const std::string chunk(1 << 20, 'f');
        uint64_t left = available - bytes;
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

    // Another program fills the disk right after the capture found room for its next file.
    void FillsUpAndEndsWith132(int ext, const wchar_t* name)
    {
        const std::string block = MakeScreenDib(320, 240, true);
        ASSERT_GT(FreeBytes(), kReserve + ScreenFile() + 10 * block.size()) << "the small file system is too small";
        Start(folder, ext);
        PlaceDib(block);
        ASSERT_NO_FATAL_FAILURE(RunUntilFiles(folder, 2));
        // A quarter of a picture: the write fails after the file was opened.
        freeSpace.AfterNextLook([this, &block] { LeaveRoomFor(block.size() / 4); });
        EXPECT_EQ(Resource(IDS_ERR_SAVE_IMAGE), RunUntilMessage());
        EXPECT_FALSE(freeSpace.StepPending()) << "the capture never looked at the free space";
        // No cut file is left under the failed number: every name of the sequence is a frame.
        ExpectWholeFrames(folder, name, block, 2);
    }

    // Another program may write between the capture's look at the free space and its save.
    FreeSpaceLook freeSpace;
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

TEST_F(FullDisk, ABmpCaptureStopsWhileTheReserveIsLeftAndShowsTheNextStartNumber)
{
    const std::string block = MakeScreenDib(320, 240, true);
    // Room for Start's one screen above the reserve and a picture and a half more: a dozen
    // pictures of this size at 1280 x 720.
    ASSERT_NO_FATAL_FAILURE(LeaveRoomFor(kReserve + ScreenFile() + block.size() * 3 / 2));
    Start(folder, 3);
    PlaceDib(block);
    EXPECT_EQ(L"the disk of the output folder is nearly full: 512 MB left\n\n"
              L"the capture ended here, to keep 512 MB free for Windows and other programs",
              RunUntilMessage());
    const uint64_t left = FreeBytes();
    EXPECT_GE(left, kReserve);
    EXPECT_LT(left, kReserve + block.size() + 14) << "the capture stopped while a picture still fitted";
    ExpectWholeFrames(folder, L"bmp", block, ScreenFile() / (block.size() + 14));
    EXPECT_EQ(std::to_wstring(dialog->capture.SavedCount()), ItemText(IDC_START_NUMBER, 2));
    EXPECT_EQ(3, Count(IDC_START_NUMBER));

    // Over: a restore from the taskbar later has no capture to end and asks nothing.
    dialog->ShowWindow(SW_MINIMIZE);
    dialog->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpFor(100);
    EXPECT_EQ(1u, answerer->Shown().size());
}

// A file of that length with no data written: the file system keeps no blocks for it.
void MakeSparseFile(const std::wstring& path, uint64_t length)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(length);
    const bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(made);
}

// GetCompressedFileSizeW as Windows answers it: what the file takes on the disk. Wine's gives the
// file's length; the file system's allocation, which Wine reports, stands in.
DWORD WINAPI AllocatedSize(LPCWSTR path, LPDWORD high)
{
    HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    FILE_STANDARD_INFO info = {};
    const bool read = file != INVALID_HANDLE_VALUE
        && GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!read)
        return INVALID_FILE_SIZE;
    *high = static_cast<DWORD>(info.AllocationSize.QuadPart >> 32);
    SetLastError(NO_ERROR);
    return static_cast<DWORD>(info.AllocationSize.QuadPart);
}

TEST_F(FullDisk, StartWithoutRoomAboveTheReserveDoesNothingButWhatTheFilesItWouldReplaceTakeCountsAsRoom)
{
    const std::wstring old = folder + L"\\" + ShotName(0, L"bmp");
    const std::string oldBytes(2 << 20, 'o');
    ASSERT_TRUE(WriteWholeFile(old, oldBytes));
    // Long, but taking next to nothing on the disk: deleting it frees no room.
    ImportHook compressedSize{"kernel32.dll", "GetCompressedFileSizeW", reinterpret_cast<const void*>(&AllocatedSize)};
    ASSERT_TRUE(compressedSize.Installed());
    const std::wstring sparse = folder + L"\\" + ShotName(1, L"bmp");
    ASSERT_NO_FATAL_FAILURE(MakeSparseFile(sparse, uint64_t{256} << 20));
    // Short of room even with the old file gone.
    ASSERT_NO_FATAL_FAILURE(LeaveRoomFor(kReserve + ScreenFile() - oldBytes.size() - (64 << 10)));
    const uint64_t left = FreeBytes();
    ReleasePrintScreen();
    // Yes, so that an overwrite question would delete.
    AnswerWith(IDYES);
    ClickStart(folder, 3);
    std::wstring refusal;
    FormatResourceString(refusal, IDS_ERR_DISK_TOO_FULL, ByteSizeText(left).c_str(),
                         ByteSizeText(disk::Reserve(ScreenFile()) + ScreenFile()).c_str());
    EXPECT_TRUE(answerer->ShowedOnlyTheError(refusal));
    EXPECT_TRUE(ReadWholeFile(old) == oldBytes) << "the old file was changed or deleted";
    EXPECT_EQ(0u, dialog->timerId);
    EXPECT_FALSE(PrintScreenPressed());
    EXPECT_FALSE(dialog->IsIconic());
    EXPECT_EQ(kMissingNumber, StoredNumber(kSettingsKey, L"Start")) << "the settings were saved";

    // Short of room only until the old file is deleted: asked, and started.
    ASSERT_NO_FATAL_FAILURE(LeaveRoomFor(kReserve + ScreenFile() - oldBytes.size() / 2));
    AnswerWith(IDYES);
    ClickStart(folder, 3);
    ASSERT_EQ(1u, answerer->Shown().size());
    EXPECT_EQ(0u, answerer->Shown()[0].text.find(L"2 files below will be overwritten"));
    EXPECT_EQ(1u, dialog->timerId);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(old.c_str()));
    dialog->KillCaptureTimer();
}

TEST_F(FullDisk, ASaveThatFindsTheDiskFullLeavesTheFileAlreadyUnderItsNameAsItWas)
{
    const std::string old(100000, 'o');
    const std::string file = BmpFileOf(MakeScreenDib(320, 240, true));
    std::vector<uint8_t> picture(file.begin(), file.end());
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
        EXPECT_FALSE(SaveFrame(g_settings, 0, picture));
        EXPECT_TRUE(ReadWholeFile(path) == old) << "the file was changed or removed";
        EXPECT_EQ(std::vector<std::wstring>{name}, FilesIn(folder));
        DeleteFileW(path.c_str());
        DeleteFileW(Filler().c_str());
    }
}

// Windows 11 can give PrtSc to screen snipping; its setting and the build number are planted in
// the tests' own prefix and put back afterwards. Under Wine a press puts nothing on the
// clipboard, as snipping does; a keyboard hook counts every press that reaches the system.
class SnippingKey : public CaptureFault {
protected:
    void SetUp() override
    {
        CaptureFault::SetUp();
        keyDowns = 0;
        hook = SetWindowsHookExW(WH_KEYBOARD_LL, CountPresses, GetModuleHandleW(nullptr), 0);
        ASSERT_NE(nullptr, hook);
    }
    void TearDown() override
    {
        if (hook)
            UnhookWindowsHookEx(hook);
        ReleasePrintScreen();
        CaptureFault::TearDown();
    }

    // The setting as stored (none when negative) and the build.
    void Plant(int setting, const wchar_t* buildNumber)
    {
        ASSERT_TRUE(setting < 0 ? snipping.Delete() : snipping.SetNumber(static_cast<DWORD>(setting)));
        ASSERT_TRUE(build.SetString(buildNumber));
    }

    static int keyDowns;

private:
    static LRESULT CALLBACK CountPresses(int code, WPARAM message, LPARAM lParam)
    {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (code == HC_ACTION && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && key->vkCode == VK_SNAPSHOT)
            ++keyDowns;
        return CallNextHookEx(nullptr, code, message, lParam);
    }

    HHOOK hook = nullptr;
    RegistryValueOverride snipping{HKEY_CURRENT_USER, L"Control Panel\\Keyboard", L"PrintScreenKeyForSnippingEnabled"};
    RegistryValueOverride build{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                L"CurrentBuildNumber"};
};

int SnippingKey::keyDowns = 0;

// The clipboard's text, or "<none>".
std::wstring ClipboardText()
{
    std::wstring text = L"<none>";
    if (!OpenClipboard(nullptr))
        return L"<not opened>";
    if (HGLOBAL data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text.assign(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// A BMP of the whole virtual screen with the header of the clipboard's screen DIB, every pixel
// `colour`.
void ExpectScreenOfOneColour(const std::string& file, COLORREF colour)
{
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const std::string expected = BmpFileOf(MakeScreenDib(width, height, false));
    ASSERT_EQ(expected.size(), file.size());
    EXPECT_EQ(expected.substr(0, 66), file.substr(0, 66)) << "the headers";
    const uint32_t rgb = static_cast<uint32_t>(GetRValue(colour)) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    size_t other = 0;
    for (size_t at = 66; at < file.size(); at += 4) {
        uint32_t pixel;
        std::memcpy(&pixel, &file[at], 4);
        other += (pixel & 0xFFFFFF) != rgb;
    }
    EXPECT_EQ(0u, other) << "pixels of another colour";
}

// The setting 1 on either Windows, or Windows 11 without it: the capture records all the same,
// with no key event, and grabs the screen itself: what the user copied stays on the clipboard,
// and nothing of the capture passes through it.
TEST_F(SnippingKey, WhereThePressWouldSnipTheScreenIsGrabbedAndTheClipboardIsLeftAlone)
{
    const struct {
        int setting;
        const wchar_t* build;
        COLORREF colour;
    } cases[] = {{1, L"22631", RGB(0, 176, 0)}, {-1, L"22631", RGB(200, 40, 90)}, {1, L"19045", RGB(20, 60, 220)}};
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "setting " << c.setting << ", build " << c.build);
        ASSERT_NO_FATAL_FAILURE(Plant(c.setting, c.build));
        const std::wstring folder = output.File(std::to_wstring(index++));
        const std::wstring copied = L"copied before Start " + std::to_wstring(index);
        ASSERT_NE(0u, clipboard.Place(CF_UNICODETEXT, copied + L'\0'));
        const DWORD sequence = GetClipboardSequenceNumber();
        ScreenCover cover(c.colour);
        Start(folder, 3);
        ASSERT_NO_FATAL_FAILURE(RunUntilFiles(folder, 2));
        dialog->KillCaptureTimer();
        dialog->ShowWindow(SW_SHOWNORMAL);
        EXPECT_TRUE(answerer->Shown().empty());
        for (const std::wstring& name : FilesIn(folder)) {
            SCOPED_TRACE(name);
            ExpectScreenOfOneColour(ReadWholeFile(folder + L"\\" + name), c.colour);
        }
        EXPECT_EQ(0, keyDowns);
        EXPECT_EQ(copied, ClipboardText());
        EXPECT_EQ(sequence, GetClipboardSequenceNumber()) << "the capture changed the clipboard";
    }
}

BOOL WINAPI RefuseBitBlt(HDC, int, int, int, int, HDC, int, int, DWORD)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// As on the secure desktop of a UAC prompt: the screen cannot be read. Tried again for the
// whole wait, then the capture ends with its own message; the files before stay whole.
TEST_F(SnippingKey, AScreenThatCannotBeReadEndsTheCaptureWithItsOwnMessage)
{
    ASSERT_NO_FATAL_FAILURE(Plant(1, L"22631"));
    ScreenCover cover(RGB(0, 176, 0));
    Start(output.Path(), 3);
    ASSERT_NO_FATAL_FAILURE(RunUntilFiles(output.Path(), 2));
    ImportHook blit{"gdi32.dll", "BitBlt", reinterpret_cast<const void*>(&RefuseBitBlt)};
    ASSERT_TRUE(blit.Installed());
    const DWORD start = GetTickCount();
    EXPECT_EQ(Resource(IDS_ERR_SCREEN_UNREADABLE), RunUntilMessage());
    EXPECT_GE(GetTickCount() - start, 900u) << "gave up before the wait";
    for (const std::wstring& name : FilesIn(output.Path())) {
        SCOPED_TRACE(name);
        ExpectScreenOfOneColour(ReadWholeFile(output.File(name)), RGB(0, 176, 0));
    }
}

// The setting 0 on Windows 11, or Windows 10 without it: PrtSc copies the screen, and is pressed.
TEST_F(SnippingKey, WhereThePressCopiesTheScreenTheKeyIsPressedAndNothingPlaced)
{
    const std::string block = MakeScreenDib(64, 48, false);
    int index = 0;
    for (const auto& c : {std::make_pair(0, L"22631"), std::make_pair(-1, L"19045")}) {
        SCOPED_TRACE(testing::Message() << "setting " << c.first << ", build " << c.second);
        ASSERT_NO_FATAL_FAILURE(Plant(c.first, c.second));
        const std::wstring folder = output.File(std::to_wstring(index++));
        keyDowns = 0;
        // The block of the last case must not stand for this case's press.
        ASSERT_TRUE(presses.Place(""));
        Start(folder, 3);
        PumpFor(50);
        EXPECT_EQ(1, keyDowns);
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
        PlaceDib(block);
        ASSERT_NO_FATAL_FAILURE(RunUntilFiles(folder, 2));
        dialog->KillCaptureTimer();
        dialog->ShowWindow(SW_SHOWNORMAL);
        EXPECT_GE(keyDowns, 2);
        EXPECT_TRUE(answerer->Shown().empty());
    }
}

template <class Function>
Function User32(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

DPI_AWARENESS_CONTEXT ThreadDpiContext()
{
    const auto get = User32<DPI_AWARENESS_CONTEXT(WINAPI*)()>("GetThreadDpiAwarenessContext");
    return get ? get() : nullptr;
}

// The thread's DPI context while it lives, put back afterwards.
class ThreadDpiContextSet {
public:
    explicit ThreadDpiContextSet(DPI_AWARENESS_CONTEXT context)
        : set(User32<decltype(set)>("SetThreadDpiAwarenessContext")), previous(set ? set(context) : nullptr)
    {
    }
    ~ThreadDpiContextSet()
    {
        if (previous)
            set(previous);
    }
    ThreadDpiContextSet(const ThreadDpiContextSet&) = delete;
    ThreadDpiContextSet& operator=(const ThreadDpiContextSet&) = delete;
    bool Done() const { return previous != nullptr; }

private:
    DPI_AWARENESS_CONTEXT(WINAPI* set)(DPI_AWARENESS_CONTEXT);
    DPI_AWARENESS_CONTEXT previous;
};

bool IsPerMonitorAware(DPI_AWARENESS_CONTEXT context)
{
    const auto awareness = User32<int(WINAPI*)(DPI_AWARENESS_CONTEXT)>("GetAwarenessFromDpiAwarenessContext");
    return awareness && awareness(context) == 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
}

// Each blit of the product's code notes whether its thread then saw every monitor in its own
// pixels, and its raster operation.
std::vector<bool> g_blitsPerMonitor;
std::vector<DWORD> g_blitOperations;
// The system's BitBlt: a plain call would come back here through the swapped import.
const void* g_bitBlt = nullptr;

BOOL WINAPI NoteBitBlt(HDC target, int x, int y, int width, int height, HDC source, int x1, int y1, DWORD rop)
{
    g_blitsPerMonitor.push_back(IsPerMonitorAware(ThreadDpiContext()));
    g_blitOperations.push_back(rop);
    return reinterpret_cast<decltype(&BitBlt)>(g_bitBlt)(target, x, y, width, height, source, x1, y1, rop);
}

// Monitors of different scales cannot be had under Wine: the context is what can be checked. A
// plain copy: CAPTUREBLT would hide the pointer for every grab, so that it flickers.
TEST_F(SnippingKey, TheScreenIsGrabbedPerMonitorAwareWithAPlainCopyAndTheDialogKeepsItsOwnDpiContext)
{
    ASSERT_NO_FATAL_FAILURE(Plant(1, L"22631"));
    // As the program's manifest makes its thread on Windows; Wine makes every thread per-monitor.
    ThreadDpiContextSet systemAware(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
    ASSERT_TRUE(systemAware.Done()) << "no per-thread DPI context here";
    ASSERT_FALSE(IsPerMonitorAware(ThreadDpiContext()));
    g_blitsPerMonitor.clear();
    g_blitOperations.clear();
    {
        ImportHook blit{"gdi32.dll", "BitBlt", reinterpret_cast<const void*>(&NoteBitBlt)};
        ASSERT_TRUE(blit.Installed());
        g_bitBlt = blit.Original();
        // Called directly: a message dispatched to the dialog runs in the dialog's own context.
        CGrabbedPictures pictures;
        pictures.Begin(dialog->m_hWnd);
        size_t bytes = 0;
        EXPECT_TRUE(pictures.Prepare(bytes));
    }
    EXPECT_EQ(std::vector<bool>{true}, g_blitsPerMonitor);
    EXPECT_EQ(std::vector<DWORD>{SRCCOPY}, g_blitOperations);
    EXPECT_FALSE(IsPerMonitorAware(ThreadDpiContext())) << "the grab left the thread per-monitor aware";
}

}  // namespace
