#include "frames/Orientation.h"

#include "frames/PixelConvert.h"

#include <cmath>
#include <cstring>

#include <libyuv.h>

extern "C" {
#include <libavutil/display.h>
}

namespace mv {

namespace {

bool near(double a, double b) { return std::fabs(a - b) < 1.0; }

void flipRows(ArgbView v) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(v.width) * 4);
    for (int top = 0, bottom = v.height - 1; top < bottom; ++top, --bottom) {
        std::memcpy(row.data(), v.row(top), row.size());
        std::memcpy(v.row(top), v.row(bottom), row.size());
        std::memcpy(v.row(bottom), row.data(), row.size());
    }
}

}  // namespace

Orientation orientationOf(const std::int32_t* m) {
    if (!m) return {};
    // The matrix turns counter-clockwise; showing it upright turns back.
    double theta = -av_display_rotation_get(m);
    if (std::isnan(theta)) return {};
    theta -= 360 * std::floor(theta / 360 + 0.9 / 360);
    if (near(theta, 90)) return m[3] > 0 ? Orientation{270, true} : Orientation{90, false};
    if (near(theta, 270)) return m[3] < 0 ? Orientation{90, true} : Orientation{270, false};
    if (near(theta, 180)) {
        if (m[0] < 0 && m[4] < 0) return {180, false};
        if (m[0] < 0) return {180, true};  // mirrored left to right
        return {0, m[4] < 0};
    }
    if (near(theta, 0) || near(theta, 360)) return {0, m[4] < 0};
    return {};
}

ArgbView Turner::storedFor(ArgbView upright) {
    if (o_.clockwise == 0) return upright;  // a flip alone works in place
    const int w = o_.swapsSides() ? upright.height : upright.width;
    const int h = o_.swapsSides() ? upright.width : upright.height;
    stored_.resize(static_cast<std::size_t>(w) * h * 4 + kConvertSlack);
    storedView_ = {stored_.data(), w * 4, w, h};
    return storedView_;
}

void Turner::turn(ArgbView upright) {
    if (o_.clockwise != 0) {
        const auto mode = o_.clockwise == 90 ? libyuv::kRotate90
                          : o_.clockwise == 180 ? libyuv::kRotate180
                                                : libyuv::kRotate270;
        libyuv::ARGBRotate(storedView_.data, storedView_.rowBytes, upright.data, upright.rowBytes,
                           storedView_.width, storedView_.height, mode);
    }
    if (o_.flipVertical) flipRows(upright);
}

}  // namespace mv
