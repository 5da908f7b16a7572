#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "quartz/Composite.h"

namespace {

std::vector<std::uint8_t> RandomPremultiplied(std::mt19937& rng, int count) {
    std::vector<std::uint8_t> px(std::size_t(count) * 4);
    for (int i = 0; i < count; ++i) {
        const int a = int(rng() % 4 == 0 ? 255 : rng() % 256);
        px[4 * i] = std::uint8_t(a);
        for (int c = 1; c < 4; ++c) px[4 * i + c] = std::uint8_t(a ? rng() % (a + 1) : 0);
    }
    return px;
}

TEST(CompositeRow, EveryVectorKernelMatchesTheReference) {
    for (const mv::CompositeKernel& kernel : mv::CompositeKernels()) {
        std::mt19937 rng(7);
        for (int trial = 0; trial < 400; ++trial) {
            const int count = int(rng() % 67);
            const int weight = trial < 3 ? trial * 128 : int(rng() % 257);
            auto src = RandomPremultiplied(rng, count);
            if (trial % 4 == 0)  // all opaque, the fast case
                for (std::size_t i = 0; i < src.size(); i += 4) src[i] = 255;
            auto a = RandomPremultiplied(rng, count);
            auto b = a;
            kernel.row(src.data(), a.data(), count, weight);
            mv::CompositeRowReference(src.data(), b.data(), count, weight);
            ASSERT_EQ(a, b) << kernel.name << " trial " << trial << " weight " << weight;
        }
    }
}

// Opaque rows take their own short cuts, at every opacity.
TEST(CompositeRow, OpaqueRowsMatchTheReferenceAtEveryWeight) {
    std::mt19937 rng(17);
    for (const mv::CompositeKernel& kernel : mv::CompositeKernels())
        for (int weight = 0; weight <= 256; ++weight) {
            auto src = RandomPremultiplied(rng, 19);
            for (std::size_t i = 0; i < src.size(); i += 4) src[i] = 255;
            auto a = RandomPremultiplied(rng, 19);
            auto b = a;
            kernel.row(src.data(), a.data(), 19, weight);
            mv::CompositeRowReference(src.data(), b.data(), 19, weight);
            ASSERT_EQ(a, b) << kernel.name << " weight " << weight;
        }
}

// Pixels that are not premultiplied must not wrap around in any path.
TEST(CompositeRow, SaturatesAlikeOnPixelsThatAreNotPremultiplied) {
    for (const mv::CompositeKernel& kernel : mv::CompositeKernels()) {
        std::vector<std::uint8_t> src(128), a(128), b;
        std::mt19937 rng(3);
        for (auto& v : src) v = std::uint8_t(rng());
        for (auto& v : a) v = std::uint8_t(rng());
        b = a;
        kernel.row(src.data(), a.data(), 32, 200);
        mv::CompositeRowReference(src.data(), b.data(), 32, 200);
        EXPECT_EQ(a, b) << kernel.name;
    }
}

// Opaque frames: a x source + (1 - a) x destination within 1, every pair.
TEST(CompositeRow, OpaqueSourceBlendsWithinOneOfTheExactValue) {
    for (int percent : {1, 13, 30, 50, 77, 99}) {
        const double a = percent / 100.0;
        const int w = mv::OpacityWeight(float(a));
        for (int s = 0; s < 256; ++s)
            for (int d = 0; d < 256; ++d) {
                const std::uint8_t src[4] = {255, std::uint8_t(s), std::uint8_t(s), std::uint8_t(s)};
                std::uint8_t dst[4] = {255, std::uint8_t(d), std::uint8_t(d), std::uint8_t(d)};
                mv::CompositeRow(src, dst, 1, w);
                ASSERT_LE(std::fabs(dst[1] - (a * s + (1 - a) * d)), 1.0) << percent << " " << s << " " << d;
                ASSERT_EQ(dst[0], 255);
            }
    }
}

TEST(CompositeRow, FullAndNoOpacityAreExact) {
    std::mt19937 rng(11);
    const auto src = RandomPremultiplied(rng, 40);
    auto dst = RandomPremultiplied(rng, 40);
    const auto before = dst;
    mv::CompositeRow(src.data(), dst.data(), 40, 0);
    EXPECT_EQ(dst, before);
    std::vector<std::uint8_t> opaque(src);
    for (std::size_t i = 0; i < opaque.size(); i += 4) opaque[i] = 255;
    mv::CompositeRow(opaque.data(), dst.data(), 40, 256);
    EXPECT_EQ(dst, opaque);
}

TEST(CompositeRow, TransparentSourceLeavesTheDestination) {
    const std::vector<std::uint8_t> clear(40, 0);
    std::mt19937 rng(5);
    auto dst = RandomPremultiplied(rng, 10);
    const auto before = dst;
    mv::CompositeRow(clear.data(), dst.data(), 10, 256);
    EXPECT_EQ(dst, before);
}

TEST(OpacityWeight, MapsZeroToOneOntoZeroTo256) {
    EXPECT_EQ(mv::OpacityWeight(0.0f), 0);
    EXPECT_EQ(mv::OpacityWeight(0.5f), 128);
    EXPECT_EQ(mv::OpacityWeight(1.0f), 256);
    EXPECT_EQ(mv::OpacityWeight(-3.0f), 0);
    EXPECT_EQ(mv::OpacityWeight(3.0f), 256);
}

}  // namespace
