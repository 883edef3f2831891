// Making sure the output folder exists before a capture.
#pragma once

#include <cstdint>
#include <string>

// True only for a path whose first ":" is followed by a final "\" (D:\, not D: or D:\shots).
bool IsDriveRoot(const std::wstring& path);

// 0 when the folder exists or was made with its parents; a drive root is never created (5 when
// it does not exist). Otherwise the platform's error code.
uint32_t EnsureOutputFolder(const std::wstring& path);

// 0 when a file can be made in the folder (made and deleted again here, under a name no sequence
// uses); otherwise the platform's error code. ERROR_ACCESS_DENIED is also what Windows' guard of
// the user's folders (Controlled Folder Access) answers to a program it does not know.
uint32_t CheckFolderWritable(const std::wstring& folder);
