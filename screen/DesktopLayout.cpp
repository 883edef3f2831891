#include "screen/DesktopLayout.h"

#include "screen/FrameFile.h"

#include <algorithm>
#include <cstring>

DesktopLayout LayOutDesktop(const std::vector<MonitorPlace>& monitors, uint32_t maxSide)
{
    DesktopLayout layout;
    if (monitors.empty())
        return layout;
    // The largest scale as the fraction num / den; positions are scaled by it.
    uint64_t num = 1, den = 1;
    int64_t minX = INT64_MAX, minY = INT64_MAX;
    for (const auto& monitor : monitors) {
        if (monitor.width == 0 || monitor.height == 0 || monitor.width > maxSide || monitor.height > maxSide)
            return layout;
        if (!monitor.positioned)
            continue;
        minX = std::min<int64_t>(minX, monitor.x);
        minY = std::min<int64_t>(minY, monitor.y);
        if (monitor.logicalWidth > 0 && monitor.width * den > num * monitor.logicalWidth) {
            num = monitor.width;
            den = monitor.logicalWidth;
        }
    }
    // Below maxSide x maxSide in logical units, so that the products below stay small.
    const uint64_t limit = static_cast<uint64_t>(maxSide) * den / num + 1;
    std::vector<int64_t> xs, ys;
    int64_t nextFree = 0;  // right edge of the positioned monitors, where the others go
    for (const auto& monitor : monitors) {
        if (!monitor.positioned)
            continue;
        const uint64_t dx = static_cast<uint64_t>(monitor.x - minX), dy = static_cast<uint64_t>(monitor.y - minY);
        if (dx > limit || dy > limit)
            return layout;
        // Rounded down: a monitor's pixels never reach past its logical box times the largest scale.
        nextFree = std::max<int64_t>(nextFree, static_cast<int64_t>(dx * num / den) + monitor.width);
    }
    for (const auto& monitor : monitors) {
        if (monitor.positioned) {
            xs.push_back(static_cast<int64_t>(static_cast<uint64_t>(monitor.x - minX) * num / den));
            ys.push_back(static_cast<int64_t>(static_cast<uint64_t>(monitor.y - minY) * num / den));
        } else {
            xs.push_back(nextFree);
            ys.push_back(0);
            nextFree += monitor.width;
        }
    }
    int64_t right = 0, bottom = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        right = std::max<int64_t>(right, xs[i] + monitors[i].width);
        bottom = std::max<int64_t>(bottom, ys[i] + monitors[i].height);
    }
    if (right > maxSide || bottom > maxSide)
        return layout;
    layout.width = static_cast<uint32_t>(right);
    layout.height = static_cast<uint32_t>(bottom);
    for (size_t i = 0; i < monitors.size(); ++i) {
        layout.left.push_back(static_cast<uint32_t>(xs[i]));
        layout.top.push_back(static_cast<uint32_t>(ys[i]));
    }
    return layout;
}

CDesktopPicture::CDesktopPicture(uint8_t* view, std::vector<MonitorPlace> places, Fit fitFile)
    : view(view),
      monitors(std::move(places)),
      formats(monitors.size(), PixelFormat::Bgrx),
      shown(monitors.size()),
      fit(std::move(fitFile))
{
}

uint8_t* CDesktopPicture::Row(size_t index, uint32_t y) const
{
    return framefile::Pixels(view)
        + ((static_cast<size_t>(layout.top[index]) + y) * layout.width + layout.left[index]) * 4;
}

void CDesktopPicture::UpdateLive()
{
    live = layout.width > 0;
    for (const Shown& monitor : shown)
        live = live && monitor.drawn;
    // Until every monitor is drawn anew, the file holds no picture of the screen as it is.
    framefile::SetState(view, live ? framefile::State::Live : framefile::State::Waiting);
}

bool CDesktopPicture::Resize(size_t index, uint32_t width, uint32_t height, PixelFormat format)
{
    monitors[index].width = width;
    monitors[index].height = height;
    formats[index] = format;
    DesktopLayout next = LayOutDesktop(monitors, framefile::kMaxSide);
    // What the unchanged monitors show, copied out before their places move.
    std::vector<std::vector<uint8_t>> kept(monitors.size());
    for (size_t i = 0; i < monitors.size() && layout.width > 0 && next.width > 0; ++i) {
        const Shown& was = shown[i];
        if (!was.drawn || was.width != monitors[i].width || was.height != monitors[i].height || was.format != formats[i])
            continue;
        const size_t rowBytes = static_cast<size_t>(was.width) * 4;
        kept[i].resize(rowBytes * was.height);
        for (uint32_t y = 0; y < was.height; ++y)
            std::memcpy(kept[i].data() + y * rowBytes, Row(i, y), rowBytes);
    }
    bool fitted = true;
    if (next.width > 0) {
        uint8_t* grown = fit(next.width, next.height);
        fitted = grown != nullptr;
        if (fitted)
            view = grown;
        else
            next = DesktopLayout();
    }
    layout = next;
    // Monitors may deliver different pixel layouts: a picture of several is kept as BGRx, which
    // is what the conversion to the DIB's layout writes.
    canvasFormat = monitors.size() == 1 ? formats[0] : PixelFormat::Bgrx;
    if (layout.width > 0) {
        framefile::SetGeometry(view, layout.width, layout.height, canvasFormat);
        std::memset(framefile::Pixels(view), 0, static_cast<size_t>(layout.width) * layout.height * 4);
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        const size_t rowBytes = static_cast<size_t>(monitors[i].width) * 4;
        for (uint32_t y = 0; y < monitors[i].height && !kept[i].empty(); ++y)
            std::memcpy(Row(i, y), kept[i].data() + y * rowBytes, rowBytes);
        shown[i].drawn = !kept[i].empty();
    }
    UpdateLive();
    return fitted;
}

void CDesktopPicture::Draw(size_t index, const uint8_t* pixels, uint32_t stride)
{
    if (!Placed(index))
        return;
    const MonitorPlace& monitor = monitors[index];
    for (uint32_t y = 0; y < monitor.height; ++y) {
        const uint8_t* source = pixels + static_cast<size_t>(y) * stride;
        if (formats[index] == canvasFormat)
            std::memcpy(Row(index, y), source, static_cast<size_t>(monitor.width) * 4);
        else
            ConvertRowToDib(source, formats[index], Row(index, y), monitor.width);
    }
    shown[index] = {true, monitor.width, monitor.height, formats[index]};
    UpdateLive();
}
