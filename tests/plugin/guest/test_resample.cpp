// The smooth zoom's sampler: each vector kernel against its plain twin on
// seeded noise; the whole frame and a region of no area given back; the taps;
// and a band-limited picture zoomed against its closed form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <random>
#include <vector>

#include "guest/Resample.h"

namespace {

using mv::SimdLevel;
using mvguest::RegionF;

std::vector<std::uint32_t> Noise(int w, int h, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (auto& p : px) p = random();
    return px;
}

std::vector<std::uint32_t> Resampled(const std::vector<std::uint32_t>& in, int w, int h, RegionF region,
                                     SimdLevel kernel) {
    std::vector<std::uint32_t> out(in.size());
    EXPECT_TRUE(mvguest::ResampleRegion(in.data(), out.data(), w, h, w, region, kernel));
    return out;
}

// Noise is the worst case for the lobes' overshoot and the clamping; odd
// widths leave the vector kernels a tail for the plain loops.
TEST(Resample, VectorKernelsGiveThePlainBytes) {
    std::mt19937 random(11);
    for (const auto& [w, h] : {std::pair{1, 1}, {5, 3}, {6, 7}, {17, 9}, {33, 21}, {160, 90}}) {
        const auto in = Noise(w, h, random());
        for (int i = 0; i < 12; ++i) {
            std::uniform_real_distribution<double> x(0, w), y(0, h);
            // Every fourth region reaches past the frame: it is held to it.
            const double past = i % 4 == 3 ? 0.5 * w : 0;
            const double l = x(random) - past, r = x(random) + past, t = y(random), b = y(random);
            const RegionF region{std::min(l, r), std::max(l, r), std::min(t, b), std::max(t, b)};
            const auto plain = Resampled(in, w, h, region, SimdLevel::Plain);
            for (const SimdLevel k : {SimdLevel::Sse2, SimdLevel::Avx2}) {
                if (!mv::SimdRuns(k)) continue;
                EXPECT_EQ(Resampled(in, w, h, region, k), plain)
                    << "kernel " << static_cast<int>(k) << ", " << w << "x" << h << " region " << region.left << ".."
                    << region.right << ", " << region.top << ".." << region.bottom;
            }
        }
    }
}

TEST(Resample, WholeFrameAndNoAreaGiveTheFrameBack) {
    const auto in = Noise(37, 19, 3);
    for (const RegionF region : {RegionF{0, 37, 0, 19}, RegionF{5, 5, 2, 9}, RegionF{1, 30, 4, 4}})
        for (const SimdLevel k : {SimdLevel::Plain, mv::BestSimdLevel()}) EXPECT_EQ(Resampled(in, 37, 19, region, k), in);
}

// Each output pixel's weights make one, its taps stay within the axis, and
// the source pixel nearest its centre weighs most, however few pixels the
// axis has.
TEST(Resample, TapsWeighOne) {
    const struct {
        double from, to;
        int size;
    } cases[] = {{2.5, 7.25, 40}, {0, 40, 40}, {10, 11, 40}, {0.3, 3.9, 4}, {0.2, 2.7, 3}, {0, 1, 1}};
    for (const auto& c : cases) {
        const mvguest::Taps t = mvguest::MakeTaps(c.from, c.to, c.size);
        EXPECT_EQ(t.count, std::min(c.size, 6));
        for (int i = 0; i < c.size; ++i) {
            const auto* w = &t.weight[static_cast<std::size_t>(i) * t.count];
            EXPECT_EQ(std::accumulate(w, w + t.count, 0), 1 << mvguest::kWeightBits) << c.from << " pixel " << i;
            EXPECT_GE(t.first[i], 0);
            EXPECT_LE(t.first[i] + t.count, c.size);
            const double centre = c.from + (i + 0.5) * (c.to - c.from) / c.size - 0.5;
            const int nearest = std::clamp(static_cast<int>(std::lround(centre)), 0, c.size - 1) - t.first[i];
            EXPECT_EQ(std::max_element(w, w + t.count) - w, nearest) << c.from << " pixel " << i;
        }
    }
}

// A picture of sinusoids below half the sampling rate is known between its
// pixels: f(x, y) = 128 + 60 cos(2 pi (fx x + px)) + 60 cos(2 pi (fy y + py)),
// pixel centres at whole x and y. Zoomed, each output pixel should show f at
// its centre mapped into the region, within a bound made of:
//  - Lanczos-3's error interpolating a unit cosine of frequency f, at worst
//    over every phase and offset: e(0.05) = 0.0053, e(0.07) = 0.0062,
//    e(0.11) = 0.0052, e(0.19) = 0.022, e(0.23) = 0.0264, e(0.25) = 0.0222
//    cycles a pixel, times the amplitude 60, for each axis;
//  - the source's rounding to whole levels (0.5), carried by the taps' absolute
//    weights (at most 1.543 an axis): 0.5 * 1.543^2 = 1.19;
//  - the fixed point (14-bit weights, the rows' 6 bits) and the output's
//    rounding: under 1 level.
// Measured away from the frame's edges, where held edge pixels stand in for
// the picture beyond.
TEST(Resample, BandLimitedPictureZoomsToItsClosedForm) {
    const int w = 96, h = 64;
    const double tau = 2 * std::numbers::pi;
    const struct {
        double fx, fy;
        RegionF region;
        double bound;  // 60 (e(fx) + e(fy)) + 1.19 + 1
    } cases[] = {
        {0.11, 0.07, {24, 72, 16, 48}, 2.9},            // 2x
        {0.23, 0.19, {17.5, 74.9, 9.25, 47.6}, 5.1},    // 1.67x, a fraction of a pixel
        {0.05, 0.25, {30, 33, 20, 22}, 3.9},            // 32x
    };
    for (const auto& c : cases) {
        auto f = [&](double x, double y) {
            return 128 + 60 * std::cos(tau * (c.fx * x + 0.3)) + 60 * std::cos(tau * (c.fy * y + 0.7));
        };
        std::vector<std::uint32_t> in(static_cast<std::size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const auto v = static_cast<std::uint32_t>(std::lround(f(x, y)));
                in[static_cast<std::size_t>(y) * w + x] = v * 0x01010101u;
            }
        const auto out = Resampled(in, w, h, c.region, mv::BestSimdLevel());
        const double sx = (c.region.right - c.region.left) / w, sy = (c.region.bottom - c.region.top) / h;
        double most = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const double at = c.region.left + (x + 0.5) * sx - 0.5, down = c.region.top + (y + 0.5) * sy - 0.5;
                if (at < 3 || at > w - 4 || down < 3 || down > h - 4) continue;
                const std::uint32_t p = out[static_cast<std::size_t>(y) * w + x];
                for (int k = 0; k < 4; ++k)
                    most = std::max(most, std::abs(static_cast<double>((p >> (8 * k)) & 0xFF) - f(at, down)));
            }
        EXPECT_LE(most, c.bound) << "frequencies " << c.fx << ", " << c.fy;
    }
}

}  // namespace
