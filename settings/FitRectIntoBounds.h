// Shifting a rectangle into bounds without changing its size. Needs no platform call: any
// struct with left, top, right and bottom (such as RECT) will do.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace detail {

// Stored coordinates come from the registry and may be anything: the arithmetic runs in 64 bits
// and results beyond the coordinate type are held at its limits.
template <class Coordinate>
Coordinate Saturated(int64_t value)
{
    const int64_t low = std::numeric_limits<Coordinate>::min();
    const int64_t high = std::numeric_limits<Coordinate>::max();
    return static_cast<Coordinate>(std::min(std::max(value, low), high));
}

}  // namespace detail

// Bottom, then top, then right, then left: a rectangle taller or wider than the bounds ends at
// their top or left side and sticks out beyond the other.
template <class Rect>
void FitRectIntoBounds(Rect& rect, const Rect& bounds)
{
    using Coordinate = decltype(rect.left);
    const int64_t width = static_cast<int64_t>(rect.right) - rect.left;
    const int64_t height = static_cast<int64_t>(rect.bottom) - rect.top;
    if (rect.bottom > bounds.bottom) {
        rect.bottom = bounds.bottom;
        rect.top = detail::Saturated<Coordinate>(rect.bottom - height);
    }
    if (rect.top < bounds.top) {
        rect.top = bounds.top;
        rect.bottom = detail::Saturated<Coordinate>(rect.top + height);
    }
    if (rect.right > bounds.right) {
        rect.right = bounds.right;
        rect.left = detail::Saturated<Coordinate>(rect.right - width);
    }
    if (rect.left < bounds.left) {
        rect.left = bounds.left;
        rect.right = detail::Saturated<Coordinate>(rect.left + width);
    }
}
