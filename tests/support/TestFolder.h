// A fresh temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include "tests/support/Files.h"

#include <string>

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // Without a trailing backslash.
    const std::wstring& Path() const { return path; }
    std::wstring File(const std::wstring& name) const { return path + L"\\" + name; }

    // Writes `bytes` to a file of the folder; false when it cannot.
    bool Write(const std::wstring& name, const std::string& bytes) const { return WriteWholeFile(File(name), bytes); }
    // The whole file, or an empty string when it cannot be read.
    std::string Read(const std::wstring& name) const { return ReadWholeFile(File(name)); }
    bool Exists(const std::wstring& name) const;

private:
    std::wstring path;
};
