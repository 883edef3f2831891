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

// One axis: the far side first, then the near side, the span's length unchanged.
template <class Coordinate>
void FitSpan(Coordinate& nearSide, Coordinate& farSide, Coordinate boundNear, Coordinate boundFar)
{
    const int64_t length = static_cast<int64_t>(farSide) - nearSide;
    if (farSide > boundFar) {
        farSide = boundFar;
        nearSide = Saturated<Coordinate>(farSide - length);
    }
    if (nearSide < boundNear) {
        nearSide = boundNear;
        farSide = Saturated<Coordinate>(nearSide + length);
    }
}

}  // namespace detail

// Bottom, then top, then right, then left: a rectangle taller or wider than the bounds ends at
// their top or left side and sticks out beyond the other.
template <class Rect>
void FitRectIntoBounds(Rect& rect, const Rect& bounds)
{
    detail::FitSpan(rect.top, rect.bottom, bounds.top, bounds.bottom);
    detail::FitSpan(rect.left, rect.right, bounds.left, bounds.right);
}
