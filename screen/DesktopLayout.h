// Where each shared monitor's frame goes in one picture of the whole desktop, as PrtSc takes it:
// the monitors at their desktop positions, the picture the box around them all. Needs no
// platform call.
#pragma once

#include <cstdint>
#include <vector>

struct MonitorPlace {
    // Desktop position as the portal reports it; unknown positions are laid out left to right.
    bool positioned = false;
    int32_t x = 0;
    int32_t y = 0;
    // Size of the frames the monitor's stream delivers; 0 until the first one.
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

// An empty layout (width 0) while a monitor has no size yet or the picture would be larger than
// a frame file holds.
DesktopLayout LayOutDesktop(const std::vector<MonitorPlace>& monitors, uint32_t maxSide);
