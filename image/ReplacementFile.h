// The file one save writes: the output path itself when nothing is there yet, otherwise a new
// file beside it that takes the name only once it has been written whole. Either way the file is
// this save's own, so a failed save removes only what it made and leaves every older file as it was.
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
    // Open for writing, shared with nobody, until Commit.
    HANDLE Handle() const { return handle; }
    // Closes the file; a file beside the target then replaces it.
    bool Commit();

private:
    void Close();

    std::wstring target;
    std::wstring path;
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool beside = false;
    bool committed = false;
};
