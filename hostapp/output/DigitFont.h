// A small bitmap font for frame numbers on the contact sheet.
#pragma once

#include <cstdint>
#include <string>

#include "frames/ArgbImage.h"

namespace mv {

constexpr int kGlyphWidth = 5, kGlyphHeight = 7;

// Draws the digits of `text` with their top-left at (x, y), each font pixel
// `scale` pixels wide, in `argb` (0xAARRGGBB); other characters are skipped.
void drawDigits(ArgbView image, int x, int y, const std::string& text, int scale, std::uint32_t argb);

}  // namespace mv
