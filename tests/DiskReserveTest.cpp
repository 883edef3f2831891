#include "capture/DiskReserve.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kLargest = std::numeric_limits<uint64_t>::max();

TEST(DiskReserve, IsTheLargerOf512MiBAndTenFilesAndNeverWraps)
{
    EXPECT_EQ(512 * kMiB, disk::Reserve(0));
    // A 1080p BMP: 80 MB for ten of them, below the floor.
    EXPECT_EQ(512 * kMiB, disk::Reserve(1920 * 1080 * 4 + 66));
    const uint64_t tenth = 512 * kMiB / 10 + 1;
    EXPECT_EQ(10 * tenth, disk::Reserve(tenth));
    EXPECT_EQ(1000 * kMiB, disk::Reserve(100 * kMiB));
    EXPECT_EQ(kLargest, disk::Reserve(kLargest / 10 + 1));
    EXPECT_EQ(kLargest, disk::Reserve(kLargest));
}

TEST(DiskReserve, OneMoreFileFitsOnlyWhenTheReserveIsLeftAfterIt)
{
    const uint64_t file = 8 * kMiB;
    EXPECT_TRUE(disk::LeavesReserve(512 * kMiB + file, file));
    EXPECT_FALSE(disk::LeavesReserve(512 * kMiB + file - 1, file));
    EXPECT_FALSE(disk::LeavesReserve(100 * kMiB, file));
    EXPECT_FALSE(disk::LeavesReserve(0, 0));
    // Sizes near the 64-bit limit: a sum of reserve and file would wrap and pass.
    EXPECT_TRUE(disk::LeavesReserve(kLargest, 1));
    EXPECT_FALSE(disk::LeavesReserve(kLargest, kLargest / 2));
    EXPECT_FALSE(disk::LeavesReserve(kLargest, kLargest / 10));
}

}  // namespace
