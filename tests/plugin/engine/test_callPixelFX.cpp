#include "engine/callPixelFX.h"

#include <gtest/gtest.h>

#include "TestFrames.h"
#include "config/DataHandling.h"
#include "engine/imageProcs.h"

namespace {

using enginetest::ExpectRect;
using enginetest::ExpectZoomedFrame;
using enginetest::Frame;
using enginetest::R;

const Rect kFrame = R(0, 0, 480, 640);
const Rect kWhole = kFrame;
const Rect kStart = R(120, 160, 360, 480);  // (0.25, 0.75, 0.25, 0.75) of 640 x 480

pluginDataRec Config(SInt16 in, SInt16 out) {
    pluginDataRec config{};
    ResetConfig(&config, true);
    config.startRel = {0.25, 0.75, 0.25, 0.75};
    config.sliders[0] = in;
    config.sliders[1] = out;
    return config;
}

bool IsStart(const Rect& r) {
    return r.top == kStart.top && r.left == kStart.left && r.bottom == kStart.bottom && r.right == kStart.right;
}

TEST(CalcTweenRect, DefaultsOverOneHundredFrames) {
    pluginDataRec config = Config(10, 50);  // in 5 frames, out 25
    ExpectRect(CalcTweenRect(&config, kFrame, 0, 100), kWhole);
    for (int f = 1; f <= 4; ++f) EXPECT_FALSE(IsStart(CalcTweenRect(&config, kFrame, f, 100))) << f;
    for (int f = 5; f <= 75; ++f) EXPECT_TRUE(IsStart(CalcTweenRect(&config, kFrame, f, 100))) << f;
    for (int f = 76; f <= 99; ++f) EXPECT_FALSE(IsStart(CalcTweenRect(&config, kFrame, f, 100))) << f;
    ExpectRect(CalcTweenRect(&config, kFrame, 100, 100), kWhole);
    ExpectRect(CalcTweenRect(&config, kFrame, 2, 100), R(48, 64, 432, 576));   // region 0.1 .. 0.9
    ExpectRect(CalcTweenRect(&config, kFrame, 90, 100), R(48, 64, 432, 576));  // 15 of 25 steps out
    ExpectRect(CalcTweenRect(&config, kFrame, 99, 100), R(4, 6, 475, 633));    // one step short
}

// The render covers the frame wherever the course's region keeps an area.
TEST(CourseCoversFrame, WhereTheRegionHasAnArea) {
    const struct {
        relRect start;
        SInt32 frame;
        bool covers;
    } cases[] = {
        {{0.25, 0.75, 0.25, 0.75}, 50, true},      // the hold
        {{0.5, 0.5, 0.25, 0.75}, 50, false},       // no width
        {{0.5, 0.5005, 0.25, 0.75}, 50, false},    // under a pixel wide
        {{0.5, 0.5, 0.25, 0.75}, 2, true},         // zooming in: still wide
        {{0.25, 0.75, 0.9, 0.9}, 99, true},        // zooming out, a step short of the whole frame
    };
    for (const auto& c : cases) {
        pluginDataRec config = Config(10, 50);
        config.startRel = c.start;
        EXPECT_EQ(CourseCoversFrame(&config, kFrame, kFrame, c.frame, 100), c.covers)
            << c.start.left << ".." << c.start.right << " at frame " << c.frame;
    }
}

TEST(CalcTweenRect, SharesTruncateTowardZero) {
    pluginDataRec config = Config(10, 50);  // over 99: in 4 (4.95), out 24 (24.75)
    EXPECT_FALSE(IsStart(CalcTweenRect(&config, kFrame, 3, 99)));
    EXPECT_TRUE(IsStart(CalcTweenRect(&config, kFrame, 4, 99)));
    EXPECT_TRUE(IsStart(CalcTweenRect(&config, kFrame, 75, 99)));
    EXPECT_FALSE(IsStart(CalcTweenRect(&config, kFrame, 76, 99)));
    ExpectRect(CalcTweenRect(&config, kFrame, 99, 99), kWhole);
}

TEST(CalcTweenRect, ZeroSharesHaveNoPhase) {
    pluginDataRec noIn = Config(0, 50), noOut = Config(10, 0);
    EXPECT_TRUE(IsStart(CalcTweenRect(&noIn, kFrame, 0, 100)));
    EXPECT_TRUE(IsStart(CalcTweenRect(&noOut, kFrame, 100, 100)));
    pluginDataRec defaults = Config(10, 50);
    EXPECT_TRUE(IsStart(CalcTweenRect(&defaults, kFrame, 0, 0)));  // a one-frame preview
}

TEST(CalcTweenRect, OutsideTheClipIsTheWholeFrame) {
    pluginDataRec config = Config(10, 50);
    ExpectRect(CalcTweenRect(&config, kFrame, -1, 100), kWhole);
    ExpectRect(CalcTweenRect(&config, kFrame, -500, 100), kWhole);
    ExpectRect(CalcTweenRect(&config, kFrame, 101, 100), kWhole);
    ExpectRect(CalcTweenRect(&config, kFrame, 100000, 100), kWhole);
}

// Shares summing past 200: frames below inFrames always zoom in; the zoom
// out takes over from there, part-way along its span.
TEST(CalcTweenRect, OverlappingSharesZoomInFirst) {
    pluginDataRec config = Config(150, 150);  // in 75, out 75 starting at 25
    relRect whole;
    InitRelRect(whole);
    const relRect start = config.startRel;
    ExpectRect(CalcTweenRect(&config, kFrame, 50, 100), Rel2Rect(CalcTweenRel(0, 75, 50, whole, start), kFrame));
    ExpectRect(CalcTweenRect(&config, kFrame, 80, 100), Rel2Rect(CalcTweenRel(25, 100, 80, start, whole), kFrame));
    EXPECT_FALSE(IsStart(CalcTweenRect(&config, kFrame, 75, 100)));
}

TEST(CalcTweenRel, EndsAndOrderOfOperations) {
    const relRect from{0, 1, 0, 1}, to{0.25, 0.75, 0.5, 0.5};
    const relRect atStart = CalcTweenRel(10, 20, 10, from, to);
    EXPECT_EQ(atStart.left, 0.0);
    EXPECT_EQ(atStart.right, 1.0);
    EXPECT_EQ(CalcTweenRel(10, 20, 9, from, to).left, 0.0);
    EXPECT_EQ(CalcTweenRel(10, 20, 21, from, to).left, 0.25);
    // The product first, then the division: 49 x 1 / 49 is exactly 1, where
    // 49 x (1 / 49) would fall short of it.
    const relRect unit = CalcTweenRel(0, 49, 49, {0, 0, 0, 0}, {1, 1, 1, 1});
    EXPECT_EQ(unit.left, 1.0);
    const relRect half = CalcTweenRel(0, 4, 2, from, to);
    EXPECT_EQ(half.left, 0.125);
    EXPECT_EQ(half.right, 0.875);
    EXPECT_EQ(half.top, 0.25);
    EXPECT_EQ(half.bottom, 0.75);
    // A span of no frames cannot divide; it stays at the start.
    EXPECT_EQ(CalcTweenRel(5, 5, 5, from, to).left, 0.0);
}

TEST(DoPascalPixelEffect, RendersTheCourseIntoTheDestination) {
    Frame src(640, 480), dst(640, 480);
    src.FillOpaque(21);
    pluginDataRec config = Config(10, 50);
    config.sliders[2] = 30;
    DoPascalPixelEffect(src.gw, dst.gw, &config, 2, 100);
    ExpectZoomedFrame(src, dst, R(48, 64, 432, 576), 30);
}

TEST(DoPascalPixelEffect, TheEndRegionPlaysNoPart) {
    Frame src(64, 48), a(64, 48), b(64, 48);
    src.FillOpaque(22);
    pluginDataRec config = Config(10, 50);
    DoPascalPixelEffect(src.gw, a.gw, &config, 3, 10);
    config.endRel = {0.4, 0.5, 0.4, 0.5};
    DoPascalPixelEffect(src.gw, b.gw, &config, 3, 10);
    EXPECT_EQ(a.Checksum(), b.Checksum());
}

TEST(CallPixelEffect, TakesConfigurationAndPositionFromTheWorkSpace) {
    Frame src(160, 120), viaPreview(160, 120), direct(160, 120);
    src.FillOpaque(23);
    pluginDataRec config = Config(40, 60);
    config.sliders[2] = 10;
    const pluginWorkSpace saved = gConfigWorkSpace;
    gConfigWorkSpace.theConfig = &config;
    gConfigWorkSpace.currFrameIndex = 7;
    gConfigWorkSpace.maxFrameIndex = 30;
    CallPixelEffect(src.gw, viaPreview.gw);
    gConfigWorkSpace = saved;
    DoPascalPixelEffect(src.gw, direct.gw, &config, 7, 30);
    EXPECT_EQ(viaPreview.Checksum(), direct.Checksum());
}

}  // namespace
