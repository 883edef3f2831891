// The full path of an output image, from the settings of the capture.
#pragma once

#include "settings/CaptureSettings.h"

#include <cstdint>
#include <string>

// The first folder ("C:\" when there is none) and the first prefix ("Tessilo" when there is none).
std::wstring OutputFolder(const CaptureSettings& settings);
std::wstring OutputPrefix(const CaptureSettings& settings);

// <folder>\<prefix><number>.<ext>
std::wstring BuildOutputPath(const CaptureSettings& settings, int64_t number);
