#include "ui/ByteSize.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kGiB = uint64_t{1} << 30;

TEST(ByteSizeText, GivesMegabytesBelowAGigabyteAndCutsRatherThanRoundsUp)
{
    EXPECT_EQ(L"0.0 MB", ByteSizeText(0));
    EXPECT_EQ(L"0.5 MB", ByteSizeText(kMiB / 2));
    EXPECT_EQ(L"2.0 MB", ByteSizeText(2 * kMiB));
    EXPECT_EQ(L"9.9 MB", ByteSizeText(10 * kMiB - 1));
    EXPECT_EQ(L"10 MB", ByteSizeText(10 * kMiB));
    EXPECT_EQ(L"511 MB", ByteSizeText(512 * kMiB - 1));
    EXPECT_EQ(L"512 MB", ByteSizeText(512 * kMiB));
    EXPECT_EQ(L"1023 MB", ByteSizeText(kGiB - 1));
}

TEST(ByteSizeText, GivesGigabytesWithFewerDecimalsAsTheyGrow)
{
    EXPECT_EQ(L"1.00 GB", ByteSizeText(kGiB));
    EXPECT_EQ(L"1.05 GB", ByteSizeText(kGiB + kGiB / 20 + 1));
    EXPECT_EQ(L"1.50 GB", ByteSizeText(kGiB + kGiB / 2));
    EXPECT_EQ(L"9.99 GB", ByteSizeText(10 * kGiB - 1));
    EXPECT_EQ(L"10.0 GB", ByteSizeText(10 * kGiB));
    EXPECT_EQ(L"99.9 GB", ByteSizeText(100 * kGiB - 1));
    EXPECT_EQ(L"100 GB", ByteSizeText(100 * kGiB));
    EXPECT_EQ(L"17179869183 GB", ByteSizeText(std::numeric_limits<uint64_t>::max()));
}

}  // namespace
