#include "engine/lineEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "TestFrames.h"
#include "config/DataHandling.h"
#include "engine/CGglue.h"
#include "engine/imageProcs.h"

namespace {

using enginetest::ExpectRect;
using enginetest::ExpectZoomedFrame;
using enginetest::Frame;
using enginetest::R;

pluginDataRec Config(SInt16 overlay) {
    pluginDataRec config{};
    ResetConfig(&config, true);
    config.sliders[2] = overlay;
    return config;
}

struct ClampCase {
    Rect in, want;
};

class CheckRectCases : public testing::TestWithParam<ClampCase> {};

TEST_P(CheckRectCases, ClampsEachCoordinateOnItsAxis) {
    Rect r = GetParam().in;
    CheckRect(r, R(0, 0, 480, 640));
    ExpectRect(r, GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CheckRectCases,
    testing::Values(ClampCase{R(48, 64, 432, 576), R(48, 64, 432, 576)},
                    ClampCase{R(-10, -20, 500, 700), R(0, 0, 480, 640)},
                    ClampCase{R(10, -50, 20, -10), R(10, 0, 20, 0)},         // wholly left: empty
                    ClampCase{R(500, 10, 600, 20), R(480, 10, 480, 20)},     // wholly below: empty
                    ClampCase{R(30, 700, 20, 650), R(30, 640, 20, 640)}));  // not reordered

// Every frame size, crop and overlay against the plain rendition.
struct ZoomCase {
    int width, height;
    Rect crop;
    SInt16 overlay;
};

class TheLineEffectFrames : public testing::TestWithParam<ZoomCase> {};

TEST_P(TheLineEffectFrames, MatchTheReference) {
    const ZoomCase& c = GetParam();
    Frame src(c.width, c.height), dst(c.width, c.height);
    src.FillOpaque(unsigned(c.width * 31 + c.height));
    dst.FillOpaque(99);
    pluginDataRec config = Config(c.overlay);
    TheLineEffect(src.gw, dst.gw, c.crop, true, &config, 0, 0);
    ExpectZoomedFrame(src, dst, c.crop, c.overlay);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, TheLineEffectFrames,
    testing::Values(ZoomCase{640, 480, R(0, 0, 480, 640), 0},          // the whole frame: a plain copy
                    ZoomCase{640, 480, R(48, 64, 432, 576), 0},        // enlarged by 1.25
                    ZoomCase{640, 480, R(100, 50, 220, 370), 0},       // 320 x 120, stretched
                    ZoomCase{640, 480, R(-10, -20, 500, 700), 0},      // clamped first
                    ZoomCase{640, 480, R(48, 64, 432, 576), 50},       // half and half
                    ZoomCase{641, 479, R(3, 5, 400, 333), 30},
                    ZoomCase{1, 1, R(0, 0, 1, 1), 70},
                    ZoomCase{7, 5, R(1, 2, 4, 5), 100},                // the source alone
                    ZoomCase{33, 17, R(2, 3, 15, 31), 250},            // more than 100 is 100
                    ZoomCase{33, 17, R(2, 3, 15, 31), -5},             // below 0 is none
                    ZoomCase{1920, 1080, R(270, 480, 810, 1440), 0},
                    ZoomCase{1920, 1080, R(270, 480, 810, 1440), 50},
                    ZoomCase{1921, 1081, R(0, 1, 1081, 1920), 13}));

TEST(TheLineEffect, RestoresThePortAndDevice) {
    Frame src(8, 8), dst(8, 8), other(2, 2);
    src.FillOpaque(1);
    pluginDataRec config = Config(40);
    SetGWorld(other.gw, nullptr);
    TheLineEffect(src.gw, dst.gw, R(2, 2, 6, 6), true, &config, 3, 9);
    CGrafPtr port;
    GDHandle device;
    GetGWorld(&port, &device);
    EXPECT_EQ(port, other.gw);
    SetGWorld(nullptr, nullptr);
}

TEST(TheLineEffect, PositionArgumentsDoNotChangeTheFrame) {
    Frame src(50, 30), a(50, 30), b(50, 30);
    src.FillOpaque(4);
    pluginDataRec config = Config(20);
    TheLineEffect(src.gw, a.gw, R(5, 5, 25, 45), true, &config, 0, 0);
    TheLineEffect(src.gw, b.gw, R(5, 5, 25, 45), false, &config, 77, 1000);
    EXPECT_EQ(a.Checksum(), b.Checksum());
}

CGImageRef Picture(int w, int h, unsigned seed) {
    Frame f(w, h);
    f.FillOpaque(seed);
    std::memset(f.At(0, 0), 0, 4);  // one transparent pixel
    return GWorld2CGImage(f.gw);
}

std::uint32_t ChecksumOf(CGImageRef image) {
    Frame f(int(CGImageGetWidth(image)), int(CGImageGetHeight(image)));
    DrawCGImageInQDRect(f.gw, image, GetPortRect(f.gw), 0.0f, true);
    return f.Checksum();
}

TEST(RenderLineArt, RendersASameSizeCopyOfTheOriginal) {
    pluginDataRec config = Config(0);
    config.theOriginalImage = Picture(37, 21, 5);
    RenderLineArt(&config);
    ASSERT_NE(config.theRendered, nullptr);
    EXPECT_EQ(CGImageGetWidth(config.theRendered), 37u);
    EXPECT_EQ(CGImageGetHeight(config.theRendered), 21u);
    EXPECT_EQ(ChecksumOf(config.theRendered), ChecksumOf(config.theOriginalImage));
    RenderLineArt(&config);  // replaces, releasing the previous picture
    EXPECT_EQ(ChecksumOf(config.theRendered), ChecksumOf(config.theOriginalImage));
    CGImageRelease(config.theRendered);
    CGImageRelease(config.theOriginalImage);
}

TEST(RenderLineArt, NoOriginalLeavesNoRenderedPicture) {
    pluginDataRec config = Config(0);
    config.theRendered = Picture(4, 4, 6);
    RenderLineArt(&config);
    EXPECT_EQ(config.theRendered, nullptr);
}

// An original too wide for a 16-bit rectangle gets no work buffer: nothing
// is drawn, and no released picture is left behind.
TEST(RenderLineArt, NoWorkBufferLeavesNoRenderedPicture) {
    pluginDataRec config = Config(0);
    std::vector<std::uint8_t> wide(40000 * 4, 255);
    CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
    CGContextRef c = CGBitmapContextCreate(wide.data(), 40000, 1, 8, wide.size(), rgb, kCGImageAlphaPremultipliedFirst);
    CGColorSpaceRelease(rgb);
    config.theOriginalImage = CGBitmapContextCreateImage(c);
    CGContextRelease(c);
    ASSERT_NE(config.theOriginalImage, nullptr);
    config.theRendered = Picture(3, 3, 8);
    RenderLineArt(&config);
    EXPECT_EQ(config.theRendered, nullptr);
    CGImageRelease(config.theOriginalImage);
}

}  // namespace
