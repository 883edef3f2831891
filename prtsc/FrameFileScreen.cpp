#include "prtsc/FrameFileScreen.h"

#include "image/ClipboardGuards.h"
#include "image/HandleOwner.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char kStartAdvice[] = " Start Tessilo with scripts/run.sh, which starts tessilo-screen before it, or log in to"
                            " an X11 session (for example \"GNOME on Xorg\").";

using CFileOwner = CHandleOwner<HANDLE, BOOL, CloseHandle>;

// A source answers within milliseconds; the keyboard hook waits for the press's answer a little longer.
constexpr ULONGLONG kAnswerBudget = 200;
// Another reader's request may overtake a copy; asked again a few times.
constexpr int kAttempts = 3;

// Reads at an offset: no mapping, so a file cut short under the reader is a short read.
bool ReadAt(HANDLE file, uint64_t offset, void* into, size_t bytes)
{
    auto* at = static_cast<uint8_t*>(into);
    while (bytes > 0) {
        OVERLAPPED place = {};
        place.Offset = static_cast<DWORD>(offset);
        place.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, at, chunk, &got, &place) || got == 0)
            return false;
        at += got;
        offset += got;
        bytes -= got;
    }
    return true;
}

// The request word is all a reader writes: 4 bytes at its offset.
bool WriteAt(HANDLE file, uint64_t offset, const void* from, size_t bytes)
{
    OVERLAPPED place = {};
    place.Offset = static_cast<DWORD>(offset);
    place.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD wrote = 0;
    return WriteFile(file, from, static_cast<DWORD>(bytes), &wrote, &place) && wrote == bytes;
}

// A moveable block for the picture, locked while it is filled.
class CPictureBlock {
public:
    uint8_t* Allocate(size_t bytes)
    {
        locker.Unlock();
        owner.Reset(GlobalAlloc(GMEM_MOVEABLE, bytes));
        void* bits = nullptr;
        if (owner.Get())
            locker.Lock(owner.Get(), bits);
        return static_cast<uint8_t*>(bits);
    }
    HGLOBAL Release()
    {
        locker.Unlock();
        return owner.Release();
    }

private:
    // Unlocked before it is freed.
    CGlobalOwner owner;
    CGlobalLocker locker;
};

// The frame file's DOS path: Wine turns the Unix path into one of its drives.
std::wstring FrameFilePath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/')
        return {};
    const std::string unixPath = std::string(runtime) + "/" + framefile::kFileName;
    using ToDos = WCHAR*(CDECL*)(const char*);
    const auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    WCHAR* dos = toDos ? toDos(unixPath.c_str()) : nullptr;
    if (!dos)
        return {};
    std::wstring path(dos);
    HeapFree(GetProcessHeap(), 0, dos);
    return path;
}

std::string EndedBecause(framefile::EndReason reason)
{
    switch (reason) {
    case framefile::EndReason::ShareStopped:
        return "the screen share ended (stopped from the desktop). Start Tessilo again to share the screen.";
    case framefile::EndReason::SessionClosed:
        return "the desktop closed the screen share. Start Tessilo again to share the screen.";
    case framefile::EndReason::DisplayGone:
        return "the X display that tessilo-screen read went away.";
    case framefile::EndReason::Failed:
        return "tessilo-screen failed; its output says why. Start Tessilo again to share the screen.";
    case framefile::EndReason::Stopped:
    case framefile::EndReason::None:
        break;
    }
    return std::string("tessilo-screen was stopped.") + kStartAdvice;
}

}  // namespace

bool CFrameFileScreen::WaylandSession()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (type && std::string(type) == "wayland");
}

HGLOBAL CFrameFileScreen::Take(std::string& why)
{
    const std::wstring path = FrameFilePath();
    // The file is opened anew at each press: a new run of tessilo-screen replaces it.
    CFileOwner file(path.empty() ? INVALID_HANDLE_VALUE
                                 : CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        file.Release();
        why = std::string("this is a Wayland session and tessilo-screen, which shares its screen, is not running.")
            + kStartAdvice;
        return nullptr;
    }
    framefile::FrameSource source;
    source.size = [&file]() -> uint64_t {
        LARGE_INTEGER size = {};
        return GetFileSizeEx(file.Get(), &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
    };
    source.read = [&file](uint64_t offset, void* into, size_t bytes) { return ReadAt(file.Get(), offset, into, bytes); };
    source.write = [&file](uint64_t offset, const void* from, size_t bytes) {
        return WriteAt(file.Get(), offset, from, bytes);
    };
    CPictureBlock block;
    auto result = framefile::ReadResult::Overtaken;
    for (int attempt = 0; attempt < kAttempts && result == framefile::ReadResult::Overtaken; ++attempt) {
        const ULONGLONG until = GetTickCount64() + kAnswerBudget;
        result = reader.Ask(source, GetTickCount64());
        while (result == framefile::ReadResult::Pending && GetTickCount64() < until) {
            Sleep(1);
            result = reader.Poll(source, GetTickCount64());
        }
        if (result == framefile::ReadResult::Answered)
            result = reader.Take(source, [&](size_t bytes) { return block.Allocate(bytes); });
    }
    switch (result) {
    case framefile::ReadResult::Copied:
        return block.Release();
    case framefile::ReadResult::Waiting:
        why = "tessilo-screen has no picture of the screen yet (is the share still being asked for?).";
        break;
    case framefile::ReadResult::Ended:
        why = EndedBecause(reader.Reason());
        break;
    case framefile::ReadResult::Pending:
    case framefile::ReadResult::Dead:
        why = std::string("tessilo-screen stopped answering: it may have been killed.") + kStartAdvice;
        break;
    case framefile::ReadResult::Overtaken:
        why = "other readers of tessilo-screen's pictures asked for new ones at every attempt.";
        break;
    case framefile::ReadResult::ShortRead:
        why = "tessilo-screen's frame file ended before its picture did (cut short by another program?).";
        break;
    case framefile::ReadResult::NotAFrameFile:
    case framefile::ReadResult::Answered:
    case framefile::ReadResult::NotAsked:
        why = "tessilo-screen's frame file is not one this companion reads (a different version?).";
        break;
    case framefile::ReadResult::NoMemory:
        why = "out of memory for the picture of the screen.";
        break;
    }
    return nullptr;
}
