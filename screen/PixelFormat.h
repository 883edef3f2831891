// The 32-bit pixel layouts a screen stream delivers, and their conversion to the layout of a
// screen DIB (blue, green, red, then a zero byte). Needs no platform call.
#pragma once

#include <cstddef>
#include <cstdint>

// Byte order in memory, first byte first.
enum class PixelFormat : uint32_t { Bgrx = 0, Bgra = 1, Rgbx = 2, Rgba = 3 };

bool IsKnownPixelFormat(uint32_t value);

// One row of `width` pixels, in place when `source` is `target`. A screen has no transparency: the fourth byte is zeroed, as a
// screen grab on Windows leaves it.
void ConvertRowToDib(const uint8_t* source, PixelFormat format, uint8_t* target, size_t width);
