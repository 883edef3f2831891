#include "capture/DiskReserve.h"

#include <limits>

namespace disk {

uint64_t Reserve(uint64_t fileSize)
{
    constexpr uint64_t kLargest = std::numeric_limits<uint64_t>::max();
    if (fileSize > kLargest / kReserveFiles)
        return kLargest;
    return fileSize * kReserveFiles > kReserveFloor ? fileSize * kReserveFiles : kReserveFloor;
}

bool LeavesReserve(uint64_t freeBytes, uint64_t fileSize)
{
    // Subtracted, never added: a sum could wrap past the free space.
    const uint64_t reserve = Reserve(fileSize);
    return freeBytes >= reserve && freeBytes - reserve >= fileSize;
}

}  // namespace disk
