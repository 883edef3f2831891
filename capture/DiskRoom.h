#pragma once

#include <cstdint>
#include <string>

// The bytes free to this user on the folder's disk (quotas included); false when Windows cannot
// tell, and then nothing is refused for it.
bool FreeBytesOf(const std::wstring& folder, uint64_t& bytes);
