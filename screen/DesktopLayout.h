// The picture of the whole desktop, as PrtSc takes it: each shared monitor's newest frame at its
// desktop position, the picture the box around them all. Needs no platform call.
#pragma once

#include "screen/PixelFormat.h"

#include <cstdint>
#include <functional>
#include <vector>

struct MonitorPlace {
    // Desktop position and size as the portal reports them, in the desktop's logical units; unknown
    // positions are laid out left to right, an unknown size counts as the frames' own.
    bool positioned = false;
    int32_t x = 0;
    int32_t y = 0;
    uint32_t logicalWidth = 0;
    uint32_t logicalHeight = 0;
    // Size of the frames the monitor's stream delivers, in pixels; 0 until the first one.
    uint32_t width = 0;
    uint32_t height = 0;
};

struct DesktopLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    // Top-left corner of each monitor in the picture, in the order given.
    std::vector<uint32_t> left;
    std::vector<uint32_t> top;
};

// Every monitor keeps its own pixels; the positions are scaled by the largest of the monitors'
// scales (pixel width over logical width), so that a scaled monitor neither overlaps its
// neighbours nor is cut. An empty layout (width 0) while a monitor has no size yet or the picture
// would be larger than `maxSide`.
DesktopLayout LayOutDesktop(const std::vector<MonitorPlace>& monitors, uint32_t maxSide);

// The monitors' frames drawn into a frame file (screen/FrameFile.h) as one picture, only while
// a request is answered. The file is live once every monitor has been drawn into the current
// layout, waiting otherwise.
class CDesktopPicture {
public:
    // Makes the file large enough for a picture of that size and returns its view, or null when
    // it cannot.
    using Fit = std::function<uint8_t*(uint32_t width, uint32_t height)>;

    // `view` is the file's current view; `monitors` as the portal placed them, without sizes.
    CDesktopPicture(uint8_t* view, std::vector<MonitorPlace> monitors, Fit fit);

    // A monitor's frames now come in this size and format. What every unchanged monitor showed is
    // kept. False when the file could not be made to fit: the picture then waits, as it does while
    // it would be larger than a frame file holds.
    bool Resize(size_t index, uint32_t width, uint32_t height, PixelFormat format);
    // A frame of monitor `index` in its current size and format, rows `stride` bytes apart.
    void Draw(size_t index, const uint8_t* pixels, uint32_t stride);

    bool Live() const { return live; }
    // Whether frames of monitor `index` have a place in the picture now.
    bool Placed(size_t index) const { return layout.width > 0 && monitors[index].width > 0; }

private:
    struct Shown {
        bool drawn = false;
        uint32_t width = 0;
        uint32_t height = 0;
        PixelFormat format = PixelFormat::Bgrx;
    };

    uint8_t* Row(size_t index, uint32_t y) const;
    void UpdateLive();

    uint8_t* view;
    std::vector<MonitorPlace> monitors;
    std::vector<PixelFormat> formats;
    // What the file holds of each monitor: drawn since the last layout, in this size and format.
    std::vector<Shown> shown;
    Fit fit;
    DesktopLayout layout;
    PixelFormat canvasFormat = PixelFormat::Bgrx;
    bool live = false;
};
