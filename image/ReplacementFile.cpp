#include "image/ReplacementFile.h"

CReplacementFile::CReplacementFile(const std::wstring& target) : target(target)
{
    const size_t end = target.find_last_of(L"\\/:");
    const std::wstring folder = end == std::wstring::npos ? L"." : target.substr(0, end + 1);
    // Creates the file under a name that did not exist, so nothing of anyone else's is replaced.
    if (!GetTempFileNameW(folder.c_str(), L"tss", 0, path))
        path[0] = L'\0';
}

CReplacementFile::~CReplacementFile()
{
    if (Created() && !committed)
        DeleteFileW(path);
}

bool CReplacementFile::Commit()
{
    committed = Created() && MoveFileExW(path, target.c_str(), MOVEFILE_REPLACE_EXISTING);
    return committed;
}
