#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#include "quartz/CoreGraphics.h"
#include "quickdraw/QuickDraw.h"

namespace {

// Pixels in memory order A, R, G, B, read and written as bytes.
struct Pixels {
    int width, height;
    std::size_t rowBytes;
    std::vector<std::uint8_t> bytes;
    Pixels(int w, int h, std::size_t extra = 8)
        : width(w), height(h), rowBytes(std::size_t(w) * 4 + extra), bytes(rowBytes * std::size_t(h)) {}
    std::uint8_t* At(int x, int y) { return &bytes[std::size_t(y) * rowBytes + std::size_t(x) * 4]; }
    std::uint32_t Get(int x, int y) {
        std::uint32_t v;
        std::memcpy(&v, At(x, y), 4);
        return v;
    }
    void Set(int x, int y, std::uint32_t v) { std::memcpy(At(x, y), &v, 4); }
    // Opaque, different in every pixel.
    void Pattern(int seed = 0) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = At(x, y);
                p[0] = 255;
                p[1] = std::uint8_t(x * 13 + seed);
                p[2] = std::uint8_t(y * 7 + seed);
                p[3] = std::uint8_t(x + y * width);
            }
    }
};

CGContextRef ContextOn(Pixels& p) {
    CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
    CGContextRef c = CGBitmapContextCreate(p.bytes.data(), size_t(p.width), size_t(p.height), 8, p.rowBytes,
                                           rgb, kCGImageAlphaPremultipliedFirst);
    CGColorSpaceRelease(rgb);
    return c;
}

CGImageRef ImageOf(Pixels& p) {
    CGContextRef c = ContextOn(p);
    CGImageRef image = CGBitmapContextCreateImage(c);
    CGContextRelease(c);
    return image;
}

// An image's pixels, read back by drawing it 1:1 over transparent black.
Pixels Read(CGImageRef image) {
    Pixels out(int(CGImageGetWidth(image)), int(CGImageGetHeight(image)));
    CGContextRef c = ContextOn(out);
    CGContextDrawImage(c, CGRectMake(0, 0, CGFloat(out.width), CGFloat(out.height)), image);
    CGContextRelease(c);
    return out;
}

bool SamePixels(Pixels& a, Pixels& b) {
    for (int y = 0; y < a.height; ++y)
        if (std::memcmp(a.At(0, y), b.At(0, y), std::size_t(a.width) * 4) != 0) return false;
    return true;
}

TEST(CGImage, IsAnImmutableCopyOfTheContextPixels) {
    Pixels p(5, 4);
    p.Pattern();
    Pixels original = p;
    CGImageRef image = ImageOf(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(CGImageGetWidth(image), 5u);
    EXPECT_EQ(CGImageGetHeight(image), 4u);
    EXPECT_GE(CGImageGetBytesPerRow(image), 20u);
    EXPECT_EQ(CGImageGetBitsPerComponent(image), 8u);
    EXPECT_EQ(CGImageGetBitsPerPixel(image), 32u);
    EXPECT_EQ(CGImageGetAlphaInfo(image), kCGImageAlphaPremultipliedFirst);
    p.Pattern(99);
    Pixels back = Read(image);
    EXPECT_TRUE(SamePixels(back, original));
    CGImageRelease(image);
}

TEST(CGImage, CopiesAndRetainsOutliveTheOriginalReference) {
    Pixels p(3, 3);
    p.Pattern();
    CGImageRef image = ImageOf(p);
    CGImageRef copy = CGImageCreateCopy(image);
    CGImageRef kept = CGImageRetain(image);
    CGImageRelease(image);
    CGImageRelease(kept);
    Pixels back = Read(copy);
    EXPECT_TRUE(SamePixels(back, p));
    CGImageRelease(copy);
    CGImageRelease(nullptr);
    EXPECT_EQ(CGImageGetWidth(nullptr), 0u);
}

TEST(CGBitmapContext, RefusesLayoutsItCannotDraw) {
    Pixels p(4, 4);
    CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
    void* d = p.bytes.data();
    EXPECT_EQ(CGBitmapContextCreate(d, 4, 4, 16, p.rowBytes, rgb, kCGImageAlphaPremultipliedFirst), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(d, 4, 4, 8, p.rowBytes, rgb, kCGImageAlphaPremultipliedLast), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(d, 4, 4, 8, 15, rgb, kCGImageAlphaPremultipliedFirst), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(nullptr, 4, 4, 8, 16, rgb, kCGImageAlphaPremultipliedFirst), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(d, 4, 4, 8, 16, nullptr, kCGImageAlphaPremultipliedFirst), nullptr);
    CGColorSpaceRelease(rgb);
}

TEST(CGContextDrawImage, UpsideUpInYUpCoordinates) {
    Pixels src(4, 3), dst(8, 6);
    src.Pattern();
    CGImageRef image = ImageOf(src);
    CGContextRef c = ContextOn(dst);
    // y = 0 is the bottom: the image lands in the lower left, top row first.
    CGContextDrawImage(c, CGRectMake(0, 0, 4, 3), image);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            ASSERT_EQ(dst.Get(x, y + 3), src.Get(x, y));
            ASSERT_EQ(dst.Get(x + 4, y), 0u);
        }
    CGContextRelease(c);
    CGImageRelease(image);
}

TEST(CGContextDrawImage, ScalesNearestByPixelCentres) {
    Pixels src(3, 2), dst(6, 4);
    src.Pattern();
    CGImageRef image = ImageOf(src);
    CGContextRef c = ContextOn(dst);
    CGContextDrawImage(c, CGRectMake(0, 0, 6, 4), image);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(dst.Get(x, y), src.Get(x / 2, y / 2));
    CGContextRelease(c);
    CGImageRelease(image);
}

TEST(CGContextDrawImage, RotatesCounterClockwiseAboutTheMovedOrigin) {
    Pixels src(4, 4), dst(4, 4);
    src.Pattern();
    CGImageRef image = ImageOf(src);
    CGContextRef c = ContextOn(dst);
    CGContextTranslateCTM(c, 2, 2);
    CGContextRotateCTM(c, float(std::numbers::pi / 2));
    CGContextDrawImage(c, CGRectMake(-2, -2, 4, 4), image);
    // The top-left corner turns to the bottom-left: the image's column i,
    // row j lands in column j, row 3 - i.
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) ASSERT_EQ(dst.Get(j, 3 - i), src.Get(i, j)) << i << "," << j;
    CGContextRelease(c);
    CGImageRelease(image);
}

TEST(CGContextClearRect, ClearsTheCoveredPixelsOnly) {
    Pixels dst(6, 6);
    dst.Pattern();
    Pixels before = dst;
    CGContextRef c = ContextOn(dst);
    CGContextClearRect(c, CGRectMake(1, 1, 2, 3));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 3 && y >= 2 && y < 5;
            ASSERT_EQ(dst.Get(x, y), inside ? 0u : before.Get(x, y)) << x << "," << y;
        }
    CGContextRelease(c);
}

TEST(CGContextSetAlpha, IsLimitedToZeroToOne) {
    Pixels src(2, 2), a(2, 2), b(2, 2);
    src.Pattern();
    CGImageRef image = ImageOf(src);
    CGContextRef ca = ContextOn(a), cb = ContextOn(b);
    CGContextSetAlpha(ca, 2.0f);
    CGContextDrawImage(ca, CGRectMake(0, 0, 2, 2), image);
    EXPECT_TRUE(SamePixels(a, src));
    b.Pattern(40);
    Pixels before = b;
    CGContextSetAlpha(cb, -1.0f);
    CGContextDrawImage(cb, CGRectMake(0, 0, 2, 2), image);
    EXPECT_TRUE(SamePixels(b, before));
    CGContextRelease(ca);
    CGContextRelease(cb);
    CGImageRelease(image);
}

TEST(CGContextGState, RestoreBringsBackTransformAndAlpha) {
    Pixels p(2, 2);
    CGContextRef c = ContextOn(p);
    CGContextTranslateCTM(c, 5, 6);
    CGContextSaveGState(c);
    CGContextRotateCTM(c, 1.0f);
    CGContextScaleCTM(c, 2, 2);
    CGContextSetAlpha(c, 0.0f);
    CGContextRestoreGState(c);
    const CGAffineTransform t = CGContextGetCTM(c);
    EXPECT_FLOAT_EQ(t.a, 1);
    EXPECT_FLOAT_EQ(t.b, 0);
    EXPECT_FLOAT_EQ(t.tx, 5);
    EXPECT_FLOAT_EQ(t.ty, 6);
    CGContextRestoreGState(c);  // one restore too many does nothing
    Pixels src(2, 2);
    src.Pattern();
    CGImageRef image = ImageOf(src);
    CGContextTranslateCTM(c, -5, -6);
    CGContextDrawImage(c, CGRectMake(0, 0, 2, 2), image);  // alpha is 1 again
    EXPECT_TRUE(SamePixels(p, src));
    CGImageRelease(image);
    CGContextRelease(c);
}

TEST(QDBeginCGContext, DrawsIntoThePortsPixels) {
    GWorldPtr gw = nullptr;
    const Rect bounds = {10, 20, 13, 24};  // 4 x 3 away from the origin
    ASSERT_EQ(NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0), noErr);
    CGContextRef c = nullptr;
    ASSERT_EQ(QDBeginCGContext(gw, &c), noErr);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(CGBitmapContextGetWidth(c), 4u);
    EXPECT_EQ(CGBitmapContextGetHeight(c), 3u);
    PixMapHandle pm = GetGWorldPixMap(gw);
    EXPECT_EQ(CGBitmapContextGetData(c), GetPixBaseAddr(pm));
    std::memset(GetPixBaseAddr(pm), 0xFF, std::size_t(GetPixRowBytes(pm)) * 3);
    CGContextClearRect(c, CGRectMake(0, 2, 4, 1));  // the top row
    CGContextFlush(c);
    EXPECT_EQ(QDEndCGContext(gw, &c), noErr);
    EXPECT_EQ(c, nullptr);
    CGContextRelease(c);
    EXPECT_EQ(GetPixBaseAddr(pm)[0], 0);
    EXPECT_EQ(std::uint8_t(GetPixBaseAddr(pm)[GetPixRowBytes(pm)]), 0xFF);
    CGContextRef none = reinterpret_cast<CGContextRef>(1);
    EXPECT_EQ(QDBeginCGContext(nullptr, &none), paramErr);
    EXPECT_EQ(none, nullptr);
    DisposeGWorld(gw);
}

}  // namespace
