#include "screen/DesktopLayout.h"

#include <algorithm>

DesktopLayout LayOutDesktop(const std::vector<MonitorPlace>& monitors, uint32_t maxSide)
{
    DesktopLayout layout;
    if (monitors.empty())
        return layout;
    std::vector<int64_t> xs, ys;
    int64_t nextFree = 0;  // right edge of the positioned monitors, where the others go
    for (const auto& monitor : monitors) {
        if (monitor.width == 0 || monitor.height == 0)
            return layout;
        if (monitor.positioned)
            nextFree = std::max(nextFree, static_cast<int64_t>(monitor.x) + monitor.width);
    }
    for (const auto& monitor : monitors) {
        xs.push_back(monitor.positioned ? monitor.x : nextFree);
        ys.push_back(monitor.positioned ? monitor.y : 0);
        if (!monitor.positioned)
            nextFree += monitor.width;
    }
    const int64_t minX = *std::min_element(xs.begin(), xs.end());
    const int64_t minY = *std::min_element(ys.begin(), ys.end());
    int64_t right = 0, bottom = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        right = std::max(right, xs[i] - minX + monitors[i].width);
        bottom = std::max(bottom, ys[i] - minY + monitors[i].height);
    }
    if (right > maxSide || bottom > maxSide)
        return layout;
    layout.width = static_cast<uint32_t>(right);
    layout.height = static_cast<uint32_t>(bottom);
    for (size_t i = 0; i < monitors.size(); ++i) {
        layout.left.push_back(static_cast<uint32_t>(xs[i] - minX));
        layout.top.push_back(static_cast<uint32_t>(ys[i] - minY));
    }
    return layout;
}
