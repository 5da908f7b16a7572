#include "engine/rectProcs.h"

#include <gtest/gtest.h>

#include "TestFrames.h"

namespace {

using enginetest::ExpectRect;
using enginetest::R;

TEST(SetRGBColor, MinusOneIsFullIntensity) {
    const RGBColor c = SetRGBColor(-1, 0, 0);
    EXPECT_EQ(c.red, 65535);
    EXPECT_EQ(c.green, 0);
    EXPECT_EQ(c.blue, 0);
    EXPECT_EQ(SetRGBColor(0, 0x1234, -2).blue, 65534);
}

TEST(CenterRectInRect, MovesTheCentreAndKeepsTheSize) {
    Rect r = R(0, 0, 150, 200);
    CenterRectInRect(r, R(0, 0, 100, 200));
    ExpectRect(r, R(-25, 0, 125, 200));
    r = R(0, 0, 3, 3);
    CenterRectInRect(r, R(0, 0, 10, 10));
    ExpectRect(r, R(4, 4, 7, 7));
    r = R(100, 100, 101, 103);
    CenterRectInRect(r, R(-10, -10, -5, -5));
    ExpectRect(r, R(-8, -9, -7, -6));
}

struct ProportionCase {
    int frameWid, frameHig, rectWid, rectHig;
    int wantWid, wantHig;
};

class CalcProportionalRect : public testing::TestWithParam<ProportionCase> {};

TEST_P(CalcProportionalRect, SizesByOrientationWithHalfUpRounding) {
    const ProportionCase& c = GetParam();
    const Rect got = CalcProportionalRectForFrame(R(7, 3, 7 + c.rectHig, 3 + c.rectWid), R(0, 0, c.frameHig, c.frameWid));
    ExpectRect(got, R(0, 0, c.wantHig, c.wantWid));
}

INSTANTIATE_TEST_SUITE_P(Examples, CalcProportionalRect,
                         testing::Values(ProportionCase{640, 480, 1000, 500, 640, 320},
                                         ProportionCase{200, 100, 400, 300, 200, 150},  // higher than the frame
                                         ProportionCase{200, 100, 300, 400, 75, 100},
                                         ProportionCase{200, 100, 300, 100, 200, 67},   // 66.67 rounds up
                                         ProportionCase{100, 100, 50, 80, 63, 100},     // 62.5 rounds up
                                         ProportionCase{100, 100, 80, 50, 100, 63},
                                         ProportionCase{100, 200, 300, 100, 100, 33},
                                         ProportionCase{100, 100, 40, 40, 100, 100}));

TEST(KeepProps, DegenerateOriginalsComputeNothingHarmful) {
    const Rect newSize = R(0, 0, 100, 200);
    ExpectRect(KeepPropsWithFixedHorizontal(R(0, 0, 10, 0), newSize), newSize);
    ExpectRect(KeepPropsWithFixedVertical(R(0, 0, 0, 10), newSize), newSize);
    // A flat original stays flat; a thin one stays thin.
    ExpectRect(KeepPropsWithFixedHorizontal(R(0, 0, 0, 10), newSize), R(0, 0, 0, 200));
    ExpectRect(KeepPropsWithFixedVertical(R(0, 0, 10, 0), newSize), R(0, 0, 100, 0));
    // The zero-size rectangle leaves the frame's own size.
    ExpectRect(CalcProportionalRectForFrame(R(0, 0, 0, 0), R(0, 0, 100, 200)), newSize);
}

TEST(KeepProps, KeepsTheNamedSideAndTheOrigin) {
    ExpectRect(KeepPropsWithFixedHorizontal(R(0, 0, 3, 4), R(10, 20, 11, 120)), R(10, 20, 85, 120));
    ExpectRect(KeepPropsWithFixedVertical(R(0, 0, 3, 4), R(10, 20, 40, 21)), R(10, 20, 40, 60));
}

TEST(QDRectToGCRect, FlipsIntoBottomLeftCoordinates) {
    const CGRect r = QDRectToGCRect(R(48, 64, 432, 576), R(0, 0, 480, 640));
    EXPECT_EQ(r.origin.x, 64.0f);
    EXPECT_EQ(r.origin.y, 48.0f);
    EXPECT_EQ(r.size.width, 512.0f);
    EXPECT_EQ(r.size.height, 384.0f);
    const CGRect top = QDRectToGCRect(R(0, 0, 10, 640), R(0, 0, 480, 640));
    EXPECT_EQ(top.origin.y, 470.0f);
}

// A port away from (0, 0): its own corner maps to the context's corner on
// both axes.
TEST(QDRectToGCRect, MeasuresFromTheFramesCorner) {
    const Rect frame = R(10, 20, 110, 220);
    const CGRect whole = QDRectToGCRect(frame, frame);
    EXPECT_EQ(whole.origin.x, 0.0f);
    EXPECT_EQ(whole.origin.y, 0.0f);
    EXPECT_EQ(whole.size.width, 200.0f);
    EXPECT_EQ(whole.size.height, 100.0f);
    const CGRect part = QDRectToGCRect(R(10, 70, 60, 120), frame);
    EXPECT_EQ(part.origin.x, 50.0f);
    EXPECT_EQ(part.origin.y, 50.0f);
}

}  // namespace
