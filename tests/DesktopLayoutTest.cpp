#include "screen/DesktopLayout.h"
#include "screen/FrameFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

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

// A monitor as the portal reports it (logical position and size) with the frames' pixel size.
MonitorPlace Scaled(int32_t x, int32_t y, uint32_t logicalWidth, uint32_t logicalHeight, uint32_t width,
                    uint32_t height)
{
    MonitorPlace place = At(x, y, width, height);
    place.logicalWidth = logicalWidth;
    place.logicalHeight = logicalHeight;
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
    // None positioned, as one desktop gives them: side by side, tops aligned.
    const auto sideBySide = LayOutDesktop({unplaced, unplaced, unplaced}, 16384);
    EXPECT_EQ(2400u, sideBySide.width);
    EXPECT_EQ(600u, sideBySide.height);
    EXPECT_EQ((std::vector<uint32_t>{0, 800, 1600}), sideBySide.left);
    EXPECT_EQ((std::vector<uint32_t>{0, 0, 0}), sideBySide.top);
}

TEST(DesktopLayout, ScalesPositionsByTheLargestScaleSoThatNoMonitorOverlapsAnother)
{
    // A 200 % laptop beside a 100 % monitor: the monitor starts where the laptop's pixels end.
    const auto mixed =
        LayOutDesktop({Scaled(0, 0, 1280, 800, 2560, 1600), Scaled(1280, 0, 1920, 1080, 1920, 1080)}, 16384);
    EXPECT_EQ((std::vector<uint32_t>{0, 2560}), mixed.left);
    EXPECT_EQ(4480u, mixed.width);
    EXPECT_EQ(1600u, mixed.height);

    // Two 4K screens at 150 %, side by side.
    const auto twoK =
        LayOutDesktop({Scaled(0, 0, 2560, 1440, 3840, 2160), Scaled(2560, 0, 2560, 1440, 3840, 2160)}, 16384);
    EXPECT_EQ((std::vector<uint32_t>{0, 3840}), twoK.left);
    EXPECT_EQ(7680u, twoK.width);

    // Left of and above a 2x monitor, a 1x one keeps its own pixels in a box twice its logical size.
    const auto negative =
        LayOutDesktop({Scaled(0, 0, 960, 540, 1920, 1080), Scaled(-1280, -200, 1280, 1024, 1280, 1024)}, 16384);
    EXPECT_EQ((std::vector<uint32_t>{2560, 0}), negative.left);
    EXPECT_EQ((std::vector<uint32_t>{400, 0}), negative.top);
    EXPECT_EQ(4480u, negative.width);
    EXPECT_EQ(1480u, negative.height);

    // One monitor at any scale: its pixels, whole, wherever the desktop puts it.
    const auto single = LayOutDesktop({Scaled(-300, 50, 1280, 720, 2880, 1620)}, 16384);
    EXPECT_EQ(2880u, single.width);
    EXPECT_EQ(1620u, single.height);
    EXPECT_EQ((std::vector<uint32_t>{0}), single.left);
}

TEST(DesktopLayout, FollowsAMonitorAddedAndRemoved)
{
    const std::vector<MonitorPlace> two = {Scaled(0, 0, 1280, 720, 1280, 720), Scaled(1280, 0, 1280, 720, 1280, 720)};
    auto three = two;
    three.push_back(Scaled(-640, 0, 640, 360, 1280, 720));
    const auto added = LayOutDesktop(three, 16384);
    // The 2x monitor on the left makes everything twice as far apart.
    EXPECT_EQ((std::vector<uint32_t>{1280, 3840, 0}), added.left);
    EXPECT_EQ(5120u, added.width);
    const auto removed = LayOutDesktop(two, 16384);
    EXPECT_EQ((std::vector<uint32_t>{0, 1280}), removed.left);
    EXPECT_EQ(2560u, removed.width);
}

TEST(DesktopLayout, HasNoPictureUntilEveryMonitorHasASizeOrWhenTooLarge)
{
    EXPECT_EQ(0u, LayOutDesktop({At(0, 0, 1280, 720), At(1280, 0, 0, 0)}, 16384).width);
    EXPECT_EQ(0u, LayOutDesktop({At(0, 0, 1280, 720), At(16000, 0, 1280, 720)}, 16384).width);
    EXPECT_EQ(0u, LayOutDesktop({Scaled(0, 0, 1280, 720, 2560, 1440), Scaled(7800, 0, 1280, 720, 1280, 720)}, 16384)
                      .width);
    EXPECT_EQ(0u, LayOutDesktop({At(INT32_MIN, 0, 10, 10), At(INT32_MAX, 0, 10, 10)}, 16384).width);
    EXPECT_EQ(0u, LayOutDesktop({}, 16384).width);
}

// A frame file in memory that grows as the picture asks.
struct PictureFile {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(framefile::kHeaderSize);
    bool refuse = false;
    PictureFile() { framefile::InitHeader(bytes.data()); }
    CDesktopPicture::Fit Fit()
    {
        return [this](uint32_t width, uint32_t height) -> uint8_t* {
            if (refuse)
                return nullptr;
            bytes.resize(std::max(bytes.size(), framefile::FileSize(width, height)));
            return bytes.data();
        };
    }
    uint32_t Field(size_t at) const { return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24; }
    framefile::State State() const { return static_cast<framefile::State>(Field(framefile::kStateAt)); }
    // The first byte (blue) of the pixel at x, y.
    uint8_t Blue(uint32_t x, uint32_t y) const
    {
        return bytes[framefile::kHeaderSize + (static_cast<size_t>(y) * Field(framefile::kWidthAt) + x) * 4];
    }
};

// A frame of one colour, BGRx.
std::vector<uint8_t> Frame(uint32_t width, uint32_t height, uint8_t blue)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4, 0);
    for (size_t i = 0; i < pixels.size(); i += 4)
        pixels[i] = blue;
    return pixels;
}

TEST(DesktopPicture, DrawsEachMonitorInItsPlaceAndIsLiveOnceAllAreDrawn)
{
    PictureFile file;
    CDesktopPicture picture(file.bytes.data(),
                            {Scaled(0, 0, 2, 2, 0, 0), Scaled(2, 0, 2, 2, 0, 0)}, file.Fit());
    EXPECT_TRUE(picture.Resize(0, 4, 4, PixelFormat::Bgrx));
    EXPECT_FALSE(picture.Placed(0));
    EXPECT_TRUE(picture.Resize(1, 2, 2, PixelFormat::Bgrx));
    EXPECT_EQ(6u, file.Field(framefile::kWidthAt));
    EXPECT_EQ(4u, file.Field(framefile::kHeightAt));
    picture.Draw(0, Frame(4, 4, 0x11).data(), 16);
    EXPECT_EQ(framefile::State::Waiting, file.State());
    EXPECT_FALSE(picture.Live());
    // Rows wider than the frame: only the frame's own pixels are taken.
    picture.Draw(1, Frame(4, 2, 0x22).data(), 16);
    EXPECT_TRUE(picture.Live());
    EXPECT_EQ(framefile::State::Live, file.State());
    EXPECT_EQ(0x11, file.Blue(3, 3));
    EXPECT_EQ(0x22, file.Blue(4, 0));
    EXPECT_EQ(0x22, file.Blue(5, 1));
    EXPECT_EQ(0x00, file.Blue(4, 2));
}

TEST(DesktopPicture, KeepsWhatAnUnchangedMonitorShowsWhenAnotherChangesSize)
{
    PictureFile file;
    CDesktopPicture picture(file.bytes.data(), {At(-2, 0, 0, 0), At(0, 0, 0, 0)}, file.Fit());
    picture.Resize(0, 2, 2, PixelFormat::Bgrx);
    picture.Resize(1, 2, 2, PixelFormat::Bgrx);
    picture.Draw(0, Frame(2, 2, 0x11).data(), 8);
    picture.Draw(1, Frame(2, 2, 0x22).data(), 8);
    ASSERT_TRUE(picture.Live());

    // The right monitor grows: the left one's picture stays, the right one waits for its next frame.
    picture.Resize(1, 3, 3, PixelFormat::Bgrx);
    EXPECT_EQ(5u, file.Field(framefile::kWidthAt));
    EXPECT_EQ(0x11, file.Blue(1, 1));
    EXPECT_EQ(0x00, file.Blue(2, 0));
    EXPECT_EQ(framefile::State::Waiting, file.State());
    picture.Draw(1, Frame(3, 3, 0x33).data(), 12);
    EXPECT_EQ(framefile::State::Live, file.State());
    EXPECT_EQ(0x33, file.Blue(4, 2));
}

TEST(DesktopPicture, StopsBeingLiveWhenThePictureHasNoPlaceAnyMore)
{
    PictureFile file;
    CDesktopPicture picture(file.bytes.data(), {At(0, 0, 0, 0), At(2, 0, 0, 0)}, file.Fit());
    picture.Resize(0, 2, 2, PixelFormat::Bgrx);
    picture.Resize(1, 2, 2, PixelFormat::Rgbx);
    picture.Draw(0, Frame(2, 2, 0x11).data(), 8);
    picture.Draw(1, Frame(2, 2, 0x22).data(), 8);
    ASSERT_EQ(framefile::State::Live, file.State());
    // Several monitors give one BGRx picture: the RGBx monitor's red byte went first.
    EXPECT_EQ(0x00, file.Blue(2, 0));

    // Grown past what a frame file holds: the old picture is no longer the screen.
    EXPECT_TRUE(picture.Resize(1, framefile::kMaxSide, 2, PixelFormat::Bgrx));
    EXPECT_EQ(framefile::State::Waiting, file.State());
    EXPECT_FALSE(picture.Placed(1));
    picture.Draw(1, Frame(2, 2, 0x22).data(), 8);
    EXPECT_EQ(framefile::State::Waiting, file.State());

    // Back to a size that fits, but the file cannot grow: still waiting.
    EXPECT_TRUE(picture.Resize(1, 2, 2, PixelFormat::Bgrx));
    picture.Draw(1, Frame(2, 2, 0x22).data(), 8);
    picture.Draw(0, Frame(2, 2, 0x11).data(), 8);
    ASSERT_EQ(framefile::State::Live, file.State());
    file.refuse = true;
    EXPECT_FALSE(picture.Resize(1, 3, 3, PixelFormat::Bgrx));
    EXPECT_EQ(framefile::State::Waiting, file.State());
}

}  // namespace
