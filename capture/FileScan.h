// Listing the files of a folder whose names a regular expression finds.
#pragma once

#include <string>
#include <vector>

// names := the files (never folders) of folder whose long name starts with prefix, compared
// without letter case as the file system compares, and whose rest the pattern finds, in listing
// order. False only when the pattern does not compile or matching fails; a folder that cannot be
// listed, or whose "*.*" mask reaches 260 characters, gives an empty list.
bool ListFolderFiles(const std::wstring& folder, const std::wstring& prefix, const std::wstring& pattern,
                     std::vector<std::wstring>& names);
