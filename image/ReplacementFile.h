// The file one save writes: a new file beside the output path that takes its name only once it
// has been written whole. The file is this save's own, so a failed save removes only what it made
// and leaves every older file as it was.
#pragma once

#include <windows.h>

#include <string>

class CReplacementFile {
public:
    explicit CReplacementFile(const std::wstring& target);
    // Closes the file and removes it unless Commit succeeded.
    ~CReplacementFile();
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    // False when no file could be made.
    bool Created() const { return !path.empty(); }
    // Open for writing, shared with nobody, until Close or Commit.
    HANDLE Handle() const { return handle; }
    // The file takes the target's name, then is closed; false leaves it to the destructor.
    bool Commit();

private:
    void Close();

    std::wstring target;
    std::wstring path;
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool committed = false;
};
