// The smooth zoom's sampler: pixman's against the plain reference over
// seeded regions, a whole-frame region among them as a copy; the reference's taps.
#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

#include "guest/Resample.h"

namespace {

using mvguest::RegionF;

std::vector<std::uint32_t> Noise(int w, int h, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (auto& p : px) p = random();
    return px;
}

// pixman interpolates at 7 bits, the reference at 14: on noise (the worst
// case, neighbours 255 apart) they may differ by 255 / 128 and its rounding.
TEST(Resample, PixmanAgreesWithTheReference) {
    std::mt19937 random(7);
    for (const auto& [w, h] : {std::pair{1, 1}, {2, 3}, {17, 9}, {160, 90}}) {
        const auto in = Noise(w, h, random());
        for (int i = 0; i < 20; ++i) {
            std::uniform_real_distribution<double> x(0, w), y(0, h);
            // The first region is the whole frame: both give the frame back unchanged.
            const bool whole = i == 0;
            const double l = whole ? 0 : x(random), r = whole ? w : x(random);
            const double t = whole ? 0 : y(random), b = whole ? h : y(random);
            // Every fifth region is wider than the frame: the area filter.
            const double grow = i % 5 == 4 ? 3 : 1;
            const RegionF region{std::min(l, r), std::min(l, r) + grow * std::abs(r - l), std::min(t, b),
                                 std::min(t, b) + grow * std::abs(b - t)};
            std::vector<std::uint32_t> fast(in.size()), plain(in.size());
            mvguest::ResampleRegion(in.data(), fast.data(), w, h, w, region);
            mvguest::ResampleRegionReference(in.data(), plain.data(), w, h, w, region);
            const auto* a = reinterpret_cast<const std::uint8_t*>(fast.data());
            const auto* e = reinterpret_cast<const std::uint8_t*>(plain.data());
            int most = 0;
            for (std::size_t k = 0; k < in.size() * 4; ++k) most = std::max(most, std::abs(a[k] - e[k]));
            if (whole) {
                EXPECT_EQ(fast, in);
                EXPECT_EQ(plain, in);
            }
            EXPECT_LE(most, grow > 1 ? 24 : 4) << w << "x" << h << " region " << region.left << ".." << region.right
                                               << ", " << region.top << ".." << region.bottom;
        }
    }
}

// Each output pixel's weights make one: enlarging (two taps) and shrinking (the pixels covered).
TEST(Resample, TapsWeighOne) {
    const struct {
        double from, to;
        int size, most;
    } cases[] = {{2.5, 7.25, 40, 2}, {0, 40, 40, 2}, {0, 100, 40, 4}, {3.3, 99.9, 10, 11}};
    for (const auto& c : cases) {
        const mvguest::Taps t = mvguest::MakeTaps(c.from, c.to, c.size);
        ASSERT_EQ(t.first.size(), static_cast<std::size_t>(c.size));
        for (int i = 0; i < c.size; ++i) {
            const auto* w = t.weight.data() + t.offset[i];
            EXPECT_EQ(std::accumulate(w, w + t.count[i], 0), 1 << mvguest::kWeightBits) << c.from << " pixel " << i;
            EXPECT_LE(t.count[i], c.most);
            EXPECT_LE(t.first[i] + t.count[i], c.size);
        }
    }
}

}  // namespace
