// The free space a capture leaves on the disk of its output folder, so that Windows and every
// other program still find room there. Needs no platform call.
#pragma once

#include <cstdint>

namespace disk {

constexpr uint64_t kReserveFloor = uint64_t{512} << 20;
constexpr uint64_t kReserveFiles = 10;

// The larger of 512 MiB and ten files of fileSize bytes; the largest value rather than a wrap.
uint64_t Reserve(uint64_t fileSize);

// Whether one more file of fileSize bytes still leaves the reserve among freeBytes.
bool LeavesReserve(uint64_t freeBytes, uint64_t fileSize);

}  // namespace disk
