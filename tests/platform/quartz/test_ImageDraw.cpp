#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "quartz/ImageDraw.h"

namespace {

// The whole-row and gathered paths against the per-pixel reference, under
// random shifts (the fast path), scales, flips and rotations.
TEST(DrawImage, MatchesTheReferenceUnderRandomMaps) {
    std::mt19937 rng(1208);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 300; ++trial) {
        const int sw = 1 + int(rng() % 40), sh = 1 + int(rng() % 30);
        const int dw = 1 + int(rng() % 50), dh = 1 + int(rng() % 40);
        std::vector<std::uint8_t> src(std::size_t(sw * sh) * 4), a(std::size_t(dw * dh) * 4), b;
        for (std::size_t i = 0; i < src.size(); i += 4) {
            src[i] = std::uint8_t(rng());
            for (int c = 1; c < 4; ++c) src[i + c] = std::uint8_t(rng() % (src[i] + 1u));
        }
        for (auto& v : a) v = std::uint8_t(rng());
        b = a;
        mv::Affine toDst;
        const int kind = trial % 3;
        if (kind == 0) {
            toDst = {1, 0, 0, 1, double(int(rng() % 60) - 20), double(int(rng() % 50) - 15)};
        } else {
            const double angle = kind == 1 ? 0.0 : unit(rng) * 6.3;
            const double sx = 0.3 + 2 * unit(rng), sy = (rng() % 2 ? 1 : -1) * (0.3 + 2 * unit(rng));
            toDst = {sx * std::cos(angle), sx * std::sin(angle), -sy * std::sin(angle), sy * std::cos(angle),
                     unit(rng) * dw, unit(rng) * dh};
        }
        mv::DrawJob job{};
        job.dst = {a.data(), dw * 4, dw, dh};
        job.src = src.data();
        job.srcRowBytes = sw * 4;
        job.srcWidth = sw;
        job.srcHeight = sh;
        ASSERT_TRUE(mv::Invert(toDst, job.toSource));
        job.box = mv::CoveredBox(toDst, sw, sh, job.dst);
        job.weight = int(rng() % 257);
        mv::DrawImage(job);
        job.dst.pixels = b.data();
        mv::DrawImageReference(job);
        ASSERT_EQ(a, b) << "trial " << trial;
    }
}

TEST(Affine, ConcatAndInvertAreConsistent) {
    const mv::Affine m = {0.5, 0.25, -1.5, 2, 3, -4}, n = {2, 0, 0, -1, 0, 10};
    const mv::Affine mn = mv::Concat(m, n);
    const double x = 1.25, y = -3.5;
    const double mx = m.a * x + m.c * y + m.tx, my = m.b * x + m.d * y + m.ty;
    EXPECT_DOUBLE_EQ(mn.a * x + mn.c * y + mn.tx, n.a * mx + n.c * my + n.tx);
    EXPECT_DOUBLE_EQ(mn.b * x + mn.d * y + mn.ty, n.b * mx + n.d * my + n.ty);
    mv::Affine inv;
    ASSERT_TRUE(mv::Invert(mn, inv));
    const mv::Affine id = mv::Concat(mn, inv);
    EXPECT_NEAR(id.a, 1, 1e-12);
    EXPECT_NEAR(id.b, 0, 1e-12);
    EXPECT_NEAR(id.tx, 0, 1e-12);
    EXPECT_FALSE(mv::Invert({1, 2, 2, 4, 0, 0}, inv));
}

}  // namespace
