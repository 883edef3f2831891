#include "bench/ScreenPicture.h"
#include "image/ClipboardGuards.h"
#include "image/ScreenDib.h"

#include <cstring>

namespace {

class CPixels {
public:
    CPixels(uint8_t* bits, int width, int height) : bits(bits), width(width), height(height) {}

    // Top-down coordinates over bottom-up rows.
    void Set(int x, int y, uint32_t bgr)
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        std::memcpy(bits + (static_cast<size_t>(height - 1 - y) * width + x) * 4, &bgr, 4);
    }

    void Fill(int left, int top, int right, int bottom, uint32_t bgr)
    {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                Set(x, y, bgr);
    }

    uint8_t* bits;
    int width;
    int height;
};

uint32_t Rgb(int r, int g, int b)
{
    return static_cast<uint32_t>(b & 255) | static_cast<uint32_t>(g & 255) << 8 | static_cast<uint32_t>(r & 255) << 16;
}

uint32_t Next(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Lines of 5 x 9 glyphs made of a few strokes each, in words of 2 to 9 letters.
void DrawText(CPixels& pixels, int left, int top, int right, int bottom, uint32_t ink, uint32_t& state)
{
    for (int line = top; line + 12 <= bottom; line += 16) {
        int x = left + static_cast<int>(Next(state) % 24);
        const int end = right - static_cast<int>(Next(state) % (right - left + 1) / 3);
        while (x + 6 < end) {
            const int letters = 2 + static_cast<int>(Next(state) % 8);
            for (int i = 0; i < letters && x + 6 < end; ++i, x += 7) {
                const uint32_t shape = Next(state);
                for (int stroke = 0; stroke < 4; ++stroke) {
                    const uint32_t s = shape >> (stroke * 8);
                    if (s & 1)
                        pixels.Fill(x + static_cast<int>(s >> 1 & 3), line + 1, x + static_cast<int>(s >> 1 & 3) + 1,
                                    line + 10, ink);
                    else
                        pixels.Fill(x, line + 1 + static_cast<int>(s >> 1 & 7), x + 5,
                                    line + 2 + static_cast<int>(s >> 1 & 7), ink);
                }
            }
            x += 5;
        }
    }
}

void DrawScreen(CPixels& pixels, uint32_t seed)
{
    const int w = pixels.width;
    const int h = pixels.height;
    for (int y = 0; y < h; ++y) {
        const uint32_t colour = Rgb(20 + 40 * y / h, 60 + 80 * y / h, 120 + 100 * y / h);
        for (int x = 0; x < w; ++x)
            pixels.Set(x, y, colour);
    }
    uint32_t state = seed | 1;
    const int windows = 3 + static_cast<int>(seed % 3);
    for (int i = 0; i < windows; ++i) {
        const int left = static_cast<int>(Next(state) % (w / 2));
        const int top = static_cast<int>(Next(state) % (h / 2));
        const int right = left + w / 3 + static_cast<int>(Next(state) % (w / 3));
        const int bottom = top + h / 3 + static_cast<int>(Next(state) % (h / 3));
        for (int x = left; x < right; ++x)
            pixels.Fill(x, top, x + 1, top + 24, Rgb(0, 84 + 80 * (x - left) / (right - left), 180));
        DrawText(pixels, left + 8, top + 6, left + 200, top + 20, Rgb(255, 255, 255), state);
        pixels.Fill(left, top + 24, right, bottom, Rgb(250, 250, 250));
        DrawText(pixels, left + 12, top + 34, right - 12, bottom - 8, Rgb(30, 30, 30), state);
    }
    pixels.Fill(0, h - 32, w, h, Rgb(32, 32, 40));
    DrawText(pixels, w - 120, h - 22, w - 8, h - 8, Rgb(220, 220, 220), state);
}

}  // namespace

std::vector<uint8_t> MakeScreenDib(int width, int height, uint32_t seed)
{
    std::vector<uint8_t> block(static_cast<size_t>(screendib::PackedSize(width, height)), 0);
    screendib::WriteHeader(block.data(), width, height);
    CPixels pixels(block.data() + screendib::kPixelsAt, width, height);
    DrawScreen(pixels, seed);
    return block;
}

bool PlaceBitmapOnClipboard(HWND window, const std::vector<uint8_t>& block)
{
    const auto* info = reinterpret_cast<const BITMAPINFO*>(block.data());
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, block.data() + screendib::kPixelsAt, info,
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (!bitmap)
        return false;
    CClipboardOpener clipboard(window);
    if (!clipboard.opened || !EmptyClipboard() || !SetClipboardData(CF_BITMAP, bitmap)) {
        DeleteObject(bitmap);
        return false;
    }
    return true;
}
