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

uint64_t ScreenFileSize(int32_t width, int32_t height)
{
    // The file header, the 40-byte DIB header and its three colour masks.
    constexpr uint64_t kHeaders = 14 + 40 + 12;
    if (width < 0 || height < 0)
        return 0;
    // (2^31 - 1)^2 x 4 + 66 is still below 2^64.
    return kHeaders + static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
}

}  // namespace disk
