// Whole files and the files of a folder, as the tests write, read and check them.
#pragma once

#include <string>
#include <vector>

// The whole file, or an empty string when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);
// Makes the file hold exactly `bytes`; false when it cannot.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

// The names of the files (not folders) in a folder, sorted.
std::vector<std::wstring> FilesIn(const std::wstring& folder);
// Removes the folder and everything in it, read-only files too.
void RemoveTree(const std::wstring& path);

// The host's path of a Windows path under Wine, empty when there is none.
std::string UnixPathOf(const std::wstring& path);
