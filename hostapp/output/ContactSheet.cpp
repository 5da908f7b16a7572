#include "output/ContactSheet.h"

#include <libyuv.h>

#include <algorithm>
#include <cmath>

#include "output/DigitFont.h"
#include "output/ImageWriter.h"

namespace mv {

namespace {

constexpr int kMaxTiles = 12, kColumns = 4, kMaxTileWidth = 320, kMargin = 8;
constexpr int kDigitScale = 2, kLabelHeight = kGlyphHeight * kDigitScale + 8;
constexpr std::uint32_t kBackground = 0xFF202020, kLabel = 0xFFF0F0F0;

}  // namespace

ContactSheet::ContactSheet(std::int64_t frameCount, int frameWidth, int frameHeight) {
    int tiles = static_cast<int>(std::min<std::int64_t>(kMaxTiles, frameCount));
    for (int k = 0; k < tiles; ++k)
        frames_.push_back(tiles == 1 ? 0 : static_cast<std::int64_t>(std::llround(
                                               static_cast<double>(k) * (frameCount - 1) / (tiles - 1))));
    columns_ = std::min(kColumns, tiles);
    int rows = (tiles + columns_ - 1) / columns_;
    tileWidth_ = std::min(kMaxTileWidth, frameWidth);
    tileHeight_ = std::max(1, static_cast<int>(std::lround(static_cast<double>(frameHeight) * tileWidth_ / frameWidth)));
    sheet_ = ArgbImage(kMargin + columns_ * (tileWidth_ + kMargin),
                       kMargin + rows * (tileHeight_ + kLabelHeight + kMargin));
    auto* p = reinterpret_cast<std::uint32_t*>(sheet_.pixels.data());
    // 0xAARRGGBB stored as A, R, G, B bytes.
    std::uint32_t stored = __builtin_bswap32(kBackground);
    std::fill(p, p + static_cast<std::size_t>(sheet_.width) * sheet_.height, stored);
}

bool ContactSheet::wants(std::int64_t index) const {
    return std::binary_search(frames_.begin(), frames_.end(), index);
}

void ContactSheet::add(std::int64_t index, ArgbView frame) {
    auto it = std::lower_bound(frames_.begin(), frames_.end(), index);
    if (it == frames_.end() || *it != index) return;
    int tile = static_cast<int>(it - frames_.begin());
    int x = kMargin + (tile % columns_) * (tileWidth_ + kMargin);
    int y = kMargin + (tile / columns_) * (tileHeight_ + kLabelHeight + kMargin);
    ArgbView sheet = sheet_.view();
    // Box filtering averages each channel alike, so the byte order does not matter.
    libyuv::ARGBScale(frame.data, frame.rowBytes, frame.width, frame.height, sheet.row(y) + x * 4,
                      sheet.rowBytes, tileWidth_, tileHeight_, libyuv::kFilterBox);
    drawDigits(sheet, x, y + tileHeight_ + 4, std::to_string(index), kDigitScale, kLabel);
}

void ContactSheet::write(const std::string& path, const ColourDescription& colour) {
    writePng(path, sheet_.view(), colour);
}

}  // namespace mv
