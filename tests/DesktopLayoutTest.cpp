#include "screen/DesktopLayout.h"

#include <gtest/gtest.h>

namespace {

MonitorPlace At(int32_t x, int32_t y, uint32_t width, uint32_t height)
{
    MonitorPlace place;
    place.positioned = true;
    place.x = x;
    place.y = y;
    place.width = width;
    place.height = height;
    return place;
}

TEST(DesktopLayout, PlacesMonitorsInTheBoxAroundThemAll)
{
    // A second monitor left of and above the first, as PrtSc sees them: one picture.
    const auto layout = LayOutDesktop({At(0, 0, 1920, 1080), At(-1280, -200, 1280, 1024)}, 16384);
    EXPECT_EQ(3200u, layout.width);
    EXPECT_EQ(1280u, layout.height);
    EXPECT_EQ((std::vector<uint32_t>{1280, 0}), layout.left);
    EXPECT_EQ((std::vector<uint32_t>{200, 0}), layout.top);

    // Without positions, side by side after the positioned ones.
    MonitorPlace unplaced;
    unplaced.width = 800;
    unplaced.height = 600;
    const auto row = LayOutDesktop({At(0, 0, 1280, 720), unplaced}, 16384);
    EXPECT_EQ(2080u, row.width);
    EXPECT_EQ((std::vector<uint32_t>{0, 1280}), row.left);
}

TEST(DesktopLayout, HasNoPictureUntilEveryMonitorHasASizeOrWhenTooLarge)
{
    EXPECT_EQ(0u, LayOutDesktop({At(0, 0, 1280, 720), At(1280, 0, 0, 0)}, 16384).width);
    EXPECT_EQ(0u, LayOutDesktop({At(0, 0, 1280, 720), At(16000, 0, 1280, 720)}, 16384).width);
    EXPECT_EQ(0u, LayOutDesktop({}, 16384).width);
}

}  // namespace
