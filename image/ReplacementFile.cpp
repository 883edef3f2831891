#include "image/ReplacementFile.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kNameTries = 100;

// A name of the target's own length in its folder, so that it fits wherever the target fits: the
// first character a marker no sequence of this prefix starts with, then, after the first try, a
// count in base 36 over the next characters.
std::wstring WorkingName(const std::wstring& target, int attempt)
{
    const size_t name = target.find_last_of(L"\\/:") + 1;
    std::wstring path = target;
    if (name >= path.size())
        return {};
    path[name] = path[name] == L'~' ? L'_' : L'~';
    for (size_t at = name + 1; attempt > 0 && at < path.size(); ++at, attempt /= 36)
        path[at] = L"0123456789abcdefghijklmnopqrstuvwxyz"[attempt % 36];
    return attempt == 0 ? path : std::wstring();
}

}  // namespace

CReplacementFile::CReplacementFile(const std::wstring& target) : target(target)
{
    // Made under a name that did not exist, so nothing of anyone else's is replaced, and no
    // reader finds a sequence name before its file is whole.
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const std::wstring working = WorkingName(target, attempt);
        if (working.empty())
            return;
        handle = CreateFileW(working.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            path = working;
            return;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return;
    }
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
    // Renamed through the handle: a folder moved or removed meanwhile makes this fail, and the
    // file still goes with the handle rather than staying behind under its working name.
    if (Created() && handle != INVALID_HANDLE_VALUE) {
        const size_t nameBytes = target.size() * sizeof(wchar_t);
        std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = TRUE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(nameBytes);
        std::memcpy(rename->FileName, target.c_str(), nameBytes);
        committed = SetFileInformationByHandle(handle, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
    }
    if (committed)
        Close();
    return committed;
}
