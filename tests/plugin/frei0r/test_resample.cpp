// The smooth zoom's sampler: the two-tap fast path against the general one,
// over seeded regions; the taps' weights; a whole-frame region as a copy.
#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

#include "frei0r/Resample.h"

namespace {

using mvfrei0r::RegionF;

std::vector<std::uint32_t> Noise(int w, int h, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (auto& p : px) p = random();
    return px;
}

TEST(Resample, FastPathEqualsTheGeneralPath) {
    std::mt19937 random(7);
    for (const auto& [w, h] : {std::pair{1, 1}, {2, 3}, {17, 9}, {160, 90}}) {
        const auto in = Noise(w, h, random());
        std::vector<std::uint16_t> rows;
        for (int i = 0; i < 20; ++i) {
            std::uniform_real_distribution<double> x(0, w), y(0, h);
            double l = x(random), r = x(random), t = y(random), b = y(random);
            const RegionF region{std::min(l, r), std::max(l, r), std::min(t, b), std::max(t, b)};
            std::vector<std::uint32_t> fast(in.size()), plain(in.size());
            mvfrei0r::ResampleRegion(in.data(), fast.data(), w, h, w, region, rows, true);
            mvfrei0r::ResampleRegion(in.data(), plain.data(), w, h, w, region, rows, false);
            ASSERT_EQ(fast, plain) << w << "x" << h << " region " << region.left << ".." << region.right << ", "
                                   << region.top << ".." << region.bottom;
        }
    }
}

TEST(Resample, WholeFrameIsACopy) {
    const auto in = Noise(33, 7, 3);
    std::vector<std::uint32_t> out(in.size());
    std::vector<std::uint16_t> rows;
    mvfrei0r::ResampleRegion(in.data(), out.data(), 33, 7, 33, RegionF{0, 33, 0, 7}, rows);
    EXPECT_EQ(out, in);
}

// Each output pixel's weights make one: enlarging (two taps) and shrinking (the pixels covered).
TEST(Resample, TapsWeighOne) {
    const struct {
        double from, to;
        int size, most;
    } cases[] = {{2.5, 7.25, 40, 2}, {0, 40, 40, 2}, {0, 100, 40, 4}, {3.3, 99.9, 10, 11}};
    for (const auto& c : cases) {
        const mvfrei0r::Taps t = mvfrei0r::MakeTaps(c.from, c.to, c.size);
        ASSERT_EQ(t.first.size(), static_cast<std::size_t>(c.size));
        for (int i = 0; i < c.size; ++i) {
            const auto* w = t.weight.data() + t.offset[i];
            EXPECT_EQ(std::accumulate(w, w + t.count[i], 0), 1 << mvfrei0r::kWeightBits) << c.from << " pixel " << i;
            EXPECT_LE(t.count[i], c.most);
            EXPECT_LE(t.first[i] + t.count[i], c.size);
        }
    }
}

}  // namespace
