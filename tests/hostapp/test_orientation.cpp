// Turning stored pictures upright: the libyuv path against the plain pixel
// formula, and the reading of display matrices.
#include <gtest/gtest.h>

#include <set>

extern "C" {
#include <libavutil/display.h>
}

#include "frames/Orientation.h"

using namespace mv;

namespace {

struct Case {
    Orientation o;
    const char* name;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class TurnUpright : public ::testing::TestWithParam<Case> {};

// Pixel (x, y) of a w x h picture holds x + 16 y in every byte.
ArgbImage numbered(int w, int h) {
    ArgbImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) std::fill_n(&img.pixels[(y * w + x) * 4], 4, std::uint8_t(x + 16 * y));
    return img;
}

// Where upright pixel (u, v) comes from, straight from the definitions:
// turn clockwise, then flip the rows.
std::pair<int, int> storedPixel(Orientation o, int w, int h, int u, int v) {
    const int uh = o.swapsSides() ? w : h;
    if (o.flipVertical) v = uh - 1 - v;
    switch (o.clockwise) {
    case 90: return {v, h - 1 - u};
    case 180: return {w - 1 - u, h - 1 - v};
    case 270: return {w - 1 - v, u};
    default: return {u, v};
    }
}

TEST_P(TurnUpright, MatchesThePixelFormula) {
    const Orientation o = GetParam().o;
    const int w = 5, h = 3;
    ArgbImage stored = numbered(w, h);
    ArgbImage upright(o.swapsSides() ? h : w, o.swapsSides() ? w : h);
    Turner turner(o);
    ArgbView target = turner.storedFor(upright.view());
    ASSERT_EQ(target.width, w);
    ASSERT_EQ(target.height, h);
    for (int y = 0; y < h; ++y) std::copy_n(stored.view().row(y), w * 4, target.row(y));
    turner.turn(upright.view());
    for (int v = 0; v < upright.height; ++v)
        for (int u = 0; u < upright.width; ++u) {
            auto [x, y] = storedPixel(o, w, h, u, v);
            EXPECT_EQ(upright.pixels[(v * upright.width + u) * 4], x + 16 * y) << "at " << u << "," << v;
        }
}

INSTANTIATE_TEST_SUITE_P(Turns, TurnUpright,
                         ::testing::Values(Case{{0, false}, "none"}, Case{{90, false}, "cw"},
                                           Case{{180, false}, "half"}, Case{{270, false}, "ccw"},
                                           Case{{0, true}, "flip"}, Case{{90, true}, "cw_flip"},
                                           Case{{180, true}, "mirror"}, Case{{270, true}, "transpose"}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(DisplayMatrix, QuarterTurnsAndMirrorsAreEightWays) {
    EXPECT_TRUE(orientationOf(nullptr).upright());
    std::set<std::pair<int, bool>> seen;
    for (double angle : {0.0, 90.0, 180.0, 270.0})
        for (int mirror : {0, 1}) {
            std::int32_t m[9];
            av_display_rotation_set(m, angle);
            av_display_matrix_flip(m, mirror, 0);
            Orientation o = orientationOf(m);
            seen.insert({o.clockwise, o.flipVertical});
        }
    EXPECT_EQ(seen.size(), 8u);
    std::int32_t plain[9];
    av_display_rotation_set(plain, 0);
    EXPECT_TRUE(orientationOf(plain).upright());
    std::int32_t slanted[9];
    av_display_rotation_set(slanted, 30);
    EXPECT_TRUE(orientationOf(slanted).upright()) << "only quarter turns are followed";
}

}  // namespace
