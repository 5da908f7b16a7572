#include "engine/relRects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

Rect R(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) { return Rect{top, left, bottom, right}; }

void ExpectRect(const Rect& got, const Rect& want) {
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.bottom, want.bottom);
    EXPECT_EQ(got.right, want.right);
}

TEST(RelRects, WholeFrameGivesTheFrame) {
    relRect whole{9, 9, 9, 9};
    InitRelRect(whole);
    EXPECT_EQ(whole.left, 0.0);
    EXPECT_EQ(whole.right, 1.0);
    EXPECT_EQ(whole.top, 0.0);
    EXPECT_EQ(whole.bottom, 1.0);
    ExpectRect(Rel2Rect(whole, R(0, 0, 480, 640)), R(0, 0, 480, 640));
}

TEST(RelRects, TruncatesTowardZero) {
    Rect frame = R(0, 0, 480, 640);
    EXPECT_EQ(Rel2Rect({0.999, 0.999, 0, 0}, frame).left, 639);
    EXPECT_EQ(Rel2Rect({-0.001, 0, 0, 0}, frame).left, 0);
    EXPECT_EQ(Rel2Rect({-0.0025, 0, 0, 0}, frame).left, -1);
}

// The round trip depends on double products without a wider intermediate.
TEST(RelRects, RoundTripRoundingCases) {
    Rect frame49 = R(0, 0, 10, 49);
    relRect rel = Rect2Rel(R(0, 1, 10, 49), frame49);
    EXPECT_EQ(rel.left, 1.0 / 49.0);
    EXPECT_EQ(Rel2Rect(rel, frame49).left, 0);

    Rect frame3 = R(0, 0, 10, 3);
    EXPECT_EQ(Rel2Rect(Rect2Rel(R(0, 1, 10, 3), frame3), frame3).left, 1);
}

TEST(RelRects, OffsetFrame) {
    Rect frame = R(10, 20, 110, 220);
    relRect rel = Rect2Rel(R(35, 70, 60, 120), frame);
    EXPECT_EQ(rel.left, 0.25);
    EXPECT_EQ(rel.right, 0.5);
    EXPECT_EQ(rel.top, 0.25);
    EXPECT_EQ(rel.bottom, 0.5);
    ExpectRect(Rel2Rect(rel, frame), R(35, 70, 60, 120));
}

TEST(RelRects, NothingIsReorderedOrClamped) {
    Rect got = Rel2Rect({0.75, 0.25, -0.5, 1.5}, R(0, 0, 100, 200));
    EXPECT_EQ(got.left, 150);
    EXPECT_EQ(got.right, 50);
    EXPECT_EQ(got.top, -50);
    EXPECT_EQ(got.bottom, 150);
    relRect outside = Rect2Rel(R(-10, -20, 110, 220), R(0, 0, 100, 200));
    EXPECT_EQ(outside.left, -0.1);
    EXPECT_EQ(outside.bottom, 1.1);
}

TEST(RelRects, CoordinatesKeepTheirLow16Bits) {
    // 200 * 200 = 40000, which wraps to 40000 - 65536.
    EXPECT_EQ(Rel2Rect({200.0, 0, 0, 0}, R(0, 0, 10, 200)).left, -25536);
}

TEST(RelRects, NonFiniteAndHugeFractionsAreDefined) {
    Rect frame = R(5, 7, 105, 207);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // 0x80000000 plus the origin, low 16 bits.
    EXPECT_EQ(Rel2Rect({nan, inf, -inf, 1e300}, frame).left, 7);
    EXPECT_EQ(Rel2Rect({nan, inf, -inf, 1e300}, frame).right, 7);
    EXPECT_EQ(Rel2Rect({nan, inf, -inf, 1e300}, frame).top, 5);
    EXPECT_EQ(Rel2Rect({nan, inf, -inf, 1e300}, frame).bottom, 5);
}

TEST(RelRects, EmptyFrameGivesZeroFractions) {
    relRect rel = Rect2Rel(R(1, 2, 3, 4), R(0, 0, 0, 0));
    EXPECT_EQ(rel.left, 0.0);
    EXPECT_EQ(rel.bottom, 0.0);
    EXPECT_FALSE(std::isnan(rel.right));
}

}  // namespace
