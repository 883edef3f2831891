#include "prtsc/FrameFileScreen.h"

#include "image/ClipboardGuards.h"
#include "prtsc/HandleOwner.h"

#include <cstdlib>

namespace {

const char kStartAdvice[] = " Start Tessilo with scripts/run.sh, which starts tessilo-screen before it, or log in to"
                            " an X11 session (for example \"GNOME on Xorg\").";

using CFileOwner = CHandleOwner<HANDLE, BOOL, CloseHandle>;

class CMappedView {
public:
    CMappedView(HANDLE mapping, SIZE_T size) : view(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, size)) {}
    ~CMappedView()
    {
        if (view)
            UnmapViewOfFile(view);
    }
    CMappedView(const CMappedView&) = delete;
    CMappedView& operator=(const CMappedView&) = delete;
    const uint8_t* Get() const { return static_cast<const uint8_t*>(view); }

private:
    void* view;
};

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
    CPictureBlock block;
    auto result = framefile::ReadResult::NeedsRemap;
    // The file grows when the screen does, possibly between its size and the read: mapped again.
    for (int attempt = 0; attempt < 3 && result == framefile::ReadResult::NeedsRemap; ++attempt) {
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < static_cast<LONGLONG>(framefile::kHeaderSize)) {
            why = "tessilo-screen's frame file is not ready yet.";
            return nullptr;
        }
        CFileOwner mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        CMappedView view(mapping.Get(), static_cast<SIZE_T>(size.QuadPart));
        if (!view.Get()) {
            why = "could not map tessilo-screen's frame file (error " + std::to_string(GetLastError()) + ").";
            return nullptr;
        }
        // A source killed outright leaves its last frame behind, marked live.
        if (!heartbeat.Alive(framefile::Heartbeat(view.Get()), GetTickCount64())) {
            why = std::string("tessilo-screen stopped answering: its picture of the screen is no longer current.")
                + kStartAdvice;
            return nullptr;
        }
        result = framefile::ReadScreenDib(view.Get(), static_cast<size_t>(size.QuadPart),
                                          [&](size_t bytes) { return block.Allocate(bytes); });
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
    case framefile::ReadResult::NeedsRemap:
    case framefile::ReadResult::Busy:
        why = "tessilo-screen was busy with every attempt at reading its picture.";
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
