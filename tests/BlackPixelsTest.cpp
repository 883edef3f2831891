#include "prtsc/BlackPixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(BlackPixels, OnlyTheColourBytesCountAndEveryPixelIsLookedAt)
{
    // What XWayland's root gives Wine: zero colour, whatever the unused top byte holds.
    std::vector<std::uint32_t> pixels(1280 * 720, 0xFF000000u);
    EXPECT_TRUE(AllBlack(pixels.data(), pixels.size()));
    pixels.back() = 0x00000001u;
    EXPECT_FALSE(AllBlack(pixels.data(), pixels.size()));
    EXPECT_TRUE(AllBlack(pixels.data(), pixels.size() - 1));
    pixels.front() = 0x00010000u;
    EXPECT_FALSE(AllBlack(pixels.data(), 1));
}

}  // namespace
