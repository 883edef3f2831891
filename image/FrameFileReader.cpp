#include "image/FrameFileReader.h"

#include <algorithm>
#include <cstdlib>

namespace {

OVERLAPPED At(uint64_t offset)
{
    OVERLAPPED place = {};
    place.Offset = static_cast<DWORD>(offset);
    place.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return place;
}

// Reads at an offset: no mapping, so a file cut short under the reader is a short read.
bool ReadAt(HANDLE file, uint64_t offset, void* into, size_t bytes)
{
    auto* at = static_cast<uint8_t*>(into);
    while (bytes > 0) {
        OVERLAPPED place = At(offset);
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

// Only the 4-byte request word is ever written.
bool WriteAt(HANDLE file, uint64_t offset, const void* from, size_t bytes)
{
    OVERLAPPED place = At(offset);
    DWORD wrote = 0;
    return bytes <= MAXDWORD && WriteFile(file, from, static_cast<DWORD>(bytes), &wrote, &place) && wrote == bytes;
}

}  // namespace

CFrameFileReader::CFrameFileReader()
{
    source.size = [this]() -> uint64_t {
        LARGE_INTEGER size = {};
        return file.Get() && GetFileSizeEx(file.Get(), &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
    };
    source.read = [this](uint64_t offset, void* into, size_t bytes) {
        return file.Get() && ReadAt(file.Get(), offset, into, bytes);
    };
    source.write = [this](uint64_t offset, const void* from, size_t bytes) {
        return file.Get() && WriteAt(file.Get(), offset, from, bytes);
    };
}

std::wstring CFrameFileReader::Path()
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

bool CFrameFileReader::Open(const std::wstring& path)
{
    Close();
    if (path.empty())
        return false;
    HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return false;
    file.Reset(opened);
    return true;
}

framefile::ReadResult CFrameFileReader::Ask()
{
    return reader.Ask(source, GetTickCount64());
}

framefile::ReadResult CFrameFileReader::Poll()
{
    return reader.Poll(source, GetTickCount64());
}

framefile::ReadResult CFrameFileReader::Take(const std::function<uint8_t*(size_t)>& allocate)
{
    return reader.Take(source, allocate);
}
