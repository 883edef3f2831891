#include "capture/OutputFolder.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>

bool IsDriveRoot(const std::wstring& path)
{
    const size_t colon = path.find(L':');
    return colon != std::wstring::npos && colon + 2 == path.size() && path[colon + 1] == L'\\';
}

uint32_t EnsureOutputFolder(const std::wstring& path)
{
    if (IsDriveRoot(path))
        return PathFileExistsW(path.c_str()) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    const int result = SHCreateDirectory(nullptr, path.c_str());
    if (result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS)
        return ERROR_SUCCESS;
    return static_cast<uint32_t>(result);
}

uint32_t CheckFolderWritable(const std::wstring& folder)
{
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\')
        base += L'\\';
    // A sequence's names end in .png or .bmp: a .tmp name is never one of them. The process's
    // number keeps two Tessilos apart.
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
        wchar_t name[32];
        std::swprintf(name, 32, L"~ts%lx-%x.tmp", GetCurrentProcessId(), attempt);
        const std::wstring path = base + name;
        // A path longer than Windows writes is refused at Start by its own check.
        if (path.size() >= MAX_PATH)
            return ERROR_SUCCESS;
        // Deleted as the handle closes, even if this process were killed in between.
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                        nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return ERROR_SUCCESS;
        }
        const DWORD error = GetLastError();
        // Someone else's file of that name stays as it is.
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return error;
    }
    return ERROR_SUCCESS;
}
