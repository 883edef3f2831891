// A screen picture as the clipboard gives it, for captures run in the tests.
#pragma once

#include <string>

// A packed 32-bit BI_BITFIELDS DIB. Noise does not compress, so that a PNG takes about as much
// room as a BMP; otherwise a gradient.
std::string MakeScreenDib(int width, int height, bool noise);
