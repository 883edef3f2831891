#include "image/ReplacementFile.h"

CReplacementFile::CReplacementFile(const std::wstring& target) : target(target)
{
    // The usual case: a new name, written in place through a handle that follows the file even
    // if its folder is moved meanwhile.
    handle = CreateFileW(target.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        path = target;
        return;
    }
    if (GetLastError() != ERROR_FILE_EXISTS)
        return;

    const size_t end = target.find_last_of(L"\\/:");
    const std::wstring folder = end == std::wstring::npos ? L"." : target.substr(0, end + 1);
    wchar_t temporary[MAX_PATH] = {};
    // Makes the file under a name that did not exist, so nothing of anyone else's is replaced.
    if (!GetTempFileNameW(folder.c_str(), L"tss", 0, temporary))
        return;
    handle = CreateFileW(temporary, GENERIC_WRITE | DELETE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DeleteFileW(temporary);
        return;
    }
    path = temporary;
    beside = true;
}

CReplacementFile::~CReplacementFile()
{
    bool removed = committed || !Created();
    if (!removed && handle != INVALID_HANDLE_VALUE) {
        // Through the handle, the file goes even when its folder was moved meanwhile.
        FILE_DISPOSITION_INFO disposition = {TRUE};
        removed = SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
    }
    Close();
    // The handle could not remove it.
    if (!removed)
        DeleteFileW(path.c_str());
}

void CReplacementFile::Close()
{
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

bool CReplacementFile::Commit()
{
    Close();
    committed = Created() && (!beside || MoveFileExW(path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
    return committed;
}
