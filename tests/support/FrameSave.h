// One picture saved as the capture's workers save it, encoded and written in one go.
#pragma once

#include "settings/CaptureSettings.h"

#include <cstdint>
#include <vector>

// File `number` of the sequence the settings name: PNG for "png" in any letter case, otherwise the
// BMP file image itself.
bool SaveFrame(const CaptureSettings& settings, int64_t number, std::vector<uint8_t>& fileImage);
