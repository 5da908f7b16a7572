#include "engine/CGglue.h"

#include <gtest/gtest.h>

#include <numbers>

#include "TestFrames.h"
#include "engine/imageProcs.h"

namespace {

using enginetest::Frame;
using enginetest::R;

struct Picture {
    Frame frame;
    CGImageRef image;
    Picture(int w, int h, unsigned seed) : frame(w, h) {
        frame.FillOpaque(seed);
        image = GWorld2CGImage(frame.gw);
    }
    ~Picture() { CGImageRelease(image); }
};

TEST(DrawCGImageInQDRect, ReproducesAnOpaqueImageTopRowAtTheTop) {
    Picture pic(640, 480, 3);
    Frame dst(640, 480);
    dst.Fill(0);
    DrawCGImageInQDRect(dst.gw, pic.image, GetPortRect(dst.gw), 0.0f, false);
    EXPECT_EQ(dst.Checksum(), pic.frame.Checksum());
    EXPECT_EQ(std::memcmp(dst.At(0, 0), pic.frame.At(0, 0), 640 * 4), 0);
}

TEST(DrawCGImageInQDRect, LandsInTheRectangleInTopLeftCoordinates) {
    Picture pic(512, 384, 4);
    Frame dst(640, 480);
    dst.Fill(9);
    DrawCGImageInQDRect(dst.gw, pic.image, R(48, 64, 432, 576), 0.0f, false);
    for (int y = 0; y < 480; y += 7)
        for (int x = 0; x < 640; x += 5) {
            const bool inside = x >= 64 && x < 576 && y >= 48 && y < 432;
            if (inside)
                ASSERT_EQ(std::memcmp(dst.At(x, y), pic.frame.At(x - 64, y - 48), 4), 0) << x << "," << y;
            else
                ASSERT_EQ(dst.At(x, y)[1], 9) << x << "," << y;
        }
}

TEST(DrawCGImageInQDRect, ClearsFirstWhenAsked) {
    // A half-transparent picture over garbage: cleared first, only the
    // picture remains.
    Frame src(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            std::uint8_t* p = src.At(x, y);
            p[0] = 128;
            p[1] = std::uint8_t(x * 20);
            p[2] = std::uint8_t(y * 30);
            p[3] = 64;
        }
    CGImageRef image = GWorld2CGImage(src.gw);
    Frame dst(6, 4);
    dst.FillOpaque(5);
    DrawCGImageInQDRect(dst.gw, image, GetPortRect(dst.gw), 0.0f, true);
    EXPECT_EQ(dst.Checksum(), src.Checksum());
    CGImageRelease(image);
}

TEST(DrawCGImageInQDRect, NoImageDrawsNothing) {
    Frame dst(3, 3);
    dst.FillOpaque(6);
    const std::uint32_t before = dst.Checksum();
    DrawCGImageInQDRect(dst.gw, nullptr, GetPortRect(dst.gw), 0.0f, true);
    DrawCGImageInQDRectWithAlpha(dst.gw, nullptr, GetPortRect(dst.gw), 0.0f, true, 0.5, 0);
    EXPECT_EQ(dst.Checksum(), before);
}

TEST(DrawCGImageInQDRect, RotatesAboutTheRectanglesCentre) {
    Picture pic(9, 5, 7);
    Frame dst(9, 5);
    DrawCGImageInQDRect(dst.gw, pic.image, GetPortRect(dst.gw), float(std::numbers::pi), true);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) ASSERT_EQ(std::memcmp(dst.At(x, y), pic.frame.At(8 - x, 4 - y), 4), 0);
}

TEST(DrawCGImageInQDRectWithAlpha, OpacityOutsideZeroToOne) {
    Picture pic(5, 5, 8);
    Frame a(5, 5), b(5, 5);
    a.FillOpaque(9);
    b.FillOpaque(9);
    DrawCGImageInQDRectWithAlpha(a.gw, pic.image, GetPortRect(a.gw), 0.0f, false, -1.0, 0);
    DrawCGImageInQDRectWithAlpha(b.gw, pic.image, GetPortRect(b.gw), 0.0f, false, 2.0, 0);
    EXPECT_EQ(a.Checksum(), pic.frame.Checksum());  // negative: fully opaque
    EXPECT_EQ(b.Checksum(), pic.frame.Checksum());  // above 1: as 1
}

TEST(DrawCGImageInQDRectWithAlpha, HalfOpacityAverages) {
    Picture pic(31, 17, 10);
    Frame dst(31, 17), under(31, 17);
    dst.FillOpaque(11);
    under.FillOpaque(11);
    DrawCGImageInQDRectWithAlpha(dst.gw, pic.image, GetPortRect(dst.gw), 0.0f, false, 0.5, 0);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 31; ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_NEAR(dst.At(x, y)[c], (pic.frame.At(x, y)[c] + under.At(x, y)[c]) / 2.0, 1.0);
}

TEST(DrawRotatedImageInCGRect, LeavesTheContextsStateAsItFoundIt) {
    Picture pic(4, 4, 12);
    Frame dst(4, 4);
    CGContextRef c = nullptr;
    ASSERT_EQ(QDBeginCGContext(dst.gw, &c), noErr);
    CGContextTranslateCTM(c, 1, 2);
    DrawRotatedImageInCGRect(c, pic.image, CGRectMake(0, 0, 4, 4), 0.7f, true);
    const CGAffineTransform t = CGContextGetCTM(c);
    EXPECT_FLOAT_EQ(t.a, 1);
    EXPECT_FLOAT_EQ(t.c, 0);
    EXPECT_FLOAT_EQ(t.tx, 1);
    EXPECT_FLOAT_EQ(t.ty, 2);
    QDEndCGContext(dst.gw, &c);
}

}  // namespace
