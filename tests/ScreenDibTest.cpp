#include "image/ScreenDib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>

namespace {

using namespace screendib;

TEST(ScreenDib, IsTheHeadersThenFourBytesAPixelWithoutAWrap)
{
    EXPECT_EQ(52u, kPixelsAt);
    EXPECT_EQ(66u, kFilePixelsAt);
    EXPECT_EQ(uint64_t{1280} * 720 * 4 + 52, PackedSize(1280, 720));
    EXPECT_EQ(uint64_t{1280} * 720 * 4 + 66, FileSize(1280, 720));
    EXPECT_EQ(uint64_t{1280} * 720 * 4, PixelsSize(1280, 720));
    EXPECT_EQ(52u, PackedSize(0, 720));
    EXPECT_EQ(66u, FileSize(1280, 0));

    const int32_t least = std::numeric_limits<int32_t>::min();
    for (const auto& sides : {std::pair{-1, 720}, std::pair{1280, -720}, std::pair{least, least}}) {
        SCOPED_TRACE(testing::Message() << sides.first << " x " << sides.second);
        EXPECT_EQ(0u, PixelsSize(sides.first, sides.second));
        EXPECT_EQ(0u, PackedSize(sides.first, sides.second));
        EXPECT_EQ(0u, FileSize(sides.first, sides.second));
    }

    // Beyond 32 bits, and up to the largest sides (2^31 - 1)^2 x 4 = 2^64 - 2^34 + 4, with no
    // signed overflow for the sanitizer to find.
    EXPECT_EQ((uint64_t{1} << 34) + 66, FileSize(65536, 65536));
    const int32_t most = std::numeric_limits<int32_t>::max();
    const uint64_t largestPixels = std::numeric_limits<uint64_t>::max() - (uint64_t{1} << 34) + 5;
    EXPECT_EQ(largestPixels, PixelsSize(most, most));
    EXPECT_EQ(largestPixels + 52, PackedSize(most, most));
    EXPECT_EQ(largestPixels + 66, FileSize(most, most));
}

}  // namespace
