// A new file beside an output path that takes that name only once it has been written whole.
#pragma once

#include <windows.h>

#include <string>

// Until Commit succeeds, a file already under the target name stays as it was, whatever happens
// to the new one; the new file is removed when the owner goes without a successful Commit.
class CReplacementFile {
public:
    // Makes an empty file with a name of its own in the target's folder.
    explicit CReplacementFile(const std::wstring& target);
    ~CReplacementFile();
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    // False when the folder took no new file.
    bool Created() const { return path[0] != L'\0'; }
    // Where to write; the file must be closed again before Commit.
    const wchar_t* Path() const { return path; }
    // Moves the new file over the target name, replacing a file there.
    bool Commit();

private:
    std::wstring target;
    wchar_t path[MAX_PATH] = {};
    bool committed = false;
};
