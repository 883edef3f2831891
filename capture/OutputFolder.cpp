#include "capture/OutputFolder.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

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
