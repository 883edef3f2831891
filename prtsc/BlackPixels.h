// Whether a picture is black throughout: what an X client's grab of the screen gives on a Wayland
// session, where the X server does not let it read the screen.
#pragma once

#include <cstddef>
#include <cstdint>

// `pixels` as 32-bit 0x00RRGGBB words; their top byte carries nothing and is ignored.
bool AllBlack(const std::uint32_t* pixels, std::size_t count);
