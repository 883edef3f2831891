#include "prtsc/FrameFileScreen.h"

#include "image/ClipboardGuards.h"
#include "image/HandleOwner.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char kStartAdvice[] = " Start Tessilo with scripts/run.sh, which starts tessilo-screen before it, or log in to"
                            " an X11 session (for example \"GNOME on Xorg\").";

using CFileOwner = CHandleOwner<HANDLE, BOOL, CloseHandle>;

// Each press: a heartbeat not yet seen to move is read again for a little longer than the writer
// takes between two beats, so that the first press finds a running writer.
constexpr ULONGLONG kFirstBeatWait = 300;

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
                                 : CreateFileW(path.c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        file.Release();
        why = std::string("this is a Wayland session and tessilo-screen, which shares its screen, is not running.")
            + kStartAdvice;
        return nullptr;
    }
    framefile::FrameSource source;
    source.read = [&file](uint64_t offset, void* into, size_t bytes) { return ReadAt(file.Get(), offset, into, bytes); };
    CPictureBlock block;
    auto result = framefile::ReadResult::Grown;
    // The file grows when the screen does, possibly between its size and the read: measured again.
    for (int attempt = 0; attempt < 3 && result == framefile::ReadResult::Grown; ++attempt) {
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < static_cast<LONGLONG>(framefile::kHeaderSize)) {
            why = "tessilo-screen's frame file is not ready yet.";
            return nullptr;
        }
        source.size = static_cast<uint64_t>(size.QuadPart);
        // A source killed outright leaves its last frame behind, marked live.
        uint32_t beat = 0;
        auto pulse = framefile::CHeartbeatWatch::Pulse::Stopped;
        for (const ULONGLONG until = GetTickCount64() + kFirstBeatWait;; Sleep(25)) {
            pulse = framefile::ReadHeartbeat(source, beat) ? heartbeat.Check(beat, GetTickCount64())
                                                           : framefile::CHeartbeatWatch::Pulse::Stopped;
            if (pulse != framefile::CHeartbeatWatch::Pulse::Unseen || GetTickCount64() >= until)
                break;
        }
        if (pulse != framefile::CHeartbeatWatch::Pulse::Beating) {
            why = std::string("tessilo-screen stopped answering: its picture of the screen is no longer current.")
                + kStartAdvice;
            return nullptr;
        }
        source.wait = framefile::WriterPauses();
        result = framefile::ReadScreenDib(source, [&](size_t bytes) { return block.Allocate(bytes); });
    }
    switch (result) {
    case framefile::ReadResult::Copied:
        return block.Release();
    case framefile::ReadResult::Waiting:
        why = "tessilo-screen has no picture of the screen yet (is the share still being asked for?).";
        break;
    case framefile::ReadResult::Ended:
        why = "the screen share ended (stopped from the desktop). Start Tessilo again to share the screen.";
        break;
    case framefile::ReadResult::Grown:
    case framefile::ReadResult::Busy:
        why = "tessilo-screen was busy with every attempt at reading its picture.";
        break;
    case framefile::ReadResult::ShortRead:
        why = "tessilo-screen's frame file ended before its picture did (cut short by another program?).";
        break;
    case framefile::ReadResult::NotAFrameFile:
        why = "tessilo-screen's frame file is not one this companion reads (a different version?).";
        break;
    case framefile::ReadResult::NoMemory:
        why = "out of memory for the picture of the screen.";
        break;
    }
    return nullptr;
}
