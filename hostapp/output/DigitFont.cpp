#include "output/DigitFont.h"

namespace mv {

namespace {

// One row per byte, the leftmost pixel in bit 4.
constexpr std::uint8_t kGlyphs[10][kGlyphHeight] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}};

void putPixel(ArgbView image, int x, int y, std::uint32_t argb) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    std::uint8_t* p = image.row(y) + x * 4;
    p[0] = static_cast<std::uint8_t>(argb >> 24);
    p[1] = static_cast<std::uint8_t>(argb >> 16);
    p[2] = static_cast<std::uint8_t>(argb >> 8);
    p[3] = static_cast<std::uint8_t>(argb);
}

}  // namespace

void drawDigits(ArgbView image, int x, int y, const std::string& text, int scale, std::uint32_t argb) {
    for (char ch : text) {
        if (ch < '0' || ch > '9') continue;
        const std::uint8_t* glyph = kGlyphs[ch - '0'];
        for (int gy = 0; gy < kGlyphHeight; ++gy)
            for (int gx = 0; gx < kGlyphWidth; ++gx)
                if (glyph[gy] & (0x10 >> gx))
                    for (int sy = 0; sy < scale; ++sy)
                        for (int sx = 0; sx < scale; ++sx)
                            putPixel(image, x + gx * scale + sx, y + gy * scale + sy, argb);
        x += (kGlyphWidth + 1) * scale;
    }
}

}  // namespace mv
