// A size of free space as a user reads it: MB below 1 GB, GB above, in 1024s as Explorer counts
// them, with decimals only for small values. Cut, never rounded up, so that it never shows more
// room than there is. Needs no platform call.
#pragma once

#include <cstdint>
#include <string>

// "0.5 MB", "512 MB", "1.50 GB", "23.4 GB", "1800 GB".
std::wstring ByteSizeText(uint64_t bytes);
