#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "quickdraw/QuickDraw.h"
#include "quickdraw/ScaleCopy.h"

namespace {

Rect R(int top, int left, int bottom, int right) {
    return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}

// A world whose every pixel holds its own coordinates, so a copied pixel
// tells where it came from.
struct World {
    GWorldPtr gw = nullptr;
    Rect bounds;
    explicit World(Rect r) : bounds(r) { EXPECT_EQ(NewGWorld(&gw, 32, &r, nullptr, nullptr, 0), noErr); }
    ~World() { DisposeGWorld(gw); }
    int Width() const { return bounds.right - bounds.left; }
    int Height() const { return bounds.bottom - bounds.top; }
    std::uint32_t& At(int x, int y) const {
        PixMapHandle pm = GetGWorldPixMap(gw);
        return *reinterpret_cast<std::uint32_t*>(GetPixBaseAddr(pm) + y * GetPixRowBytes(pm) + 4 * x);
    }
    void FillWithCoordinates() const {
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) At(x, y) = Code(x, y);
    }
    void Fill(std::uint32_t v) const {
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) At(x, y) = v;
    }
    static std::uint32_t Code(int x, int y) { return 0xFF000000u | std::uint32_t(y) << 12 | std::uint32_t(x); }
};

void Copy(const World& src, const World& dst, Rect s, Rect d) {
    CopyBits(GetPortBitMapForCopyBits(src.gw), GetPortBitMapForCopyBits(dst.gw), &s, &d, srcCopy, nullptr);
}

// The nearest pixel by centres, written out plainly.
int Nearest(int cropStart, int cropLen, int d, int destLen) {
    return cropStart + int((2LL * d + 1) * cropLen / (2LL * destLen));
}

TEST(CopyBits, EqualSizesCopyExactly) {
    World src(R(0, 0, 9, 13)), dst(R(0, 0, 9, 13));
    src.FillWithCoordinates();
    Copy(src, dst, src.bounds, dst.bounds);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(dst.At(x, y), World::Code(x, y));
}

TEST(CopyBits, SmallScalesPickPixelsByCentres) {
    // 3 -> 2: centres at 0.75 and 2.25; 2 -> 3: at 1/3, 1 and 5/3.
    World three(R(0, 0, 1, 3)), two(R(0, 0, 1, 2));
    three.FillWithCoordinates();
    Copy(three, two, three.bounds, two.bounds);
    EXPECT_EQ(two.At(0, 0), World::Code(0, 0));
    EXPECT_EQ(two.At(1, 0), World::Code(2, 0));
    two.FillWithCoordinates();
    Copy(two, three, two.bounds, three.bounds);
    EXPECT_EQ(three.At(0, 0), World::Code(0, 0));
    EXPECT_EQ(three.At(1, 0), World::Code(1, 0));
    EXPECT_EQ(three.At(2, 0), World::Code(1, 0));
}

TEST(CopyBits, EnlargesACropToTheWholeDestination) {
    World src(R(0, 0, 480, 640)), dst(R(0, 0, 480, 640));
    src.FillWithCoordinates();
    const Rect crop = R(48, 64, 432, 576);
    Copy(src, dst, crop, dst.bounds);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(dst.At(x, y), World::Code(Nearest(64, 512, x, 640), Nearest(48, 384, y, 480)))
                << x << "," << y;
}

TEST(CopyBits, BoundsAwayFromTheOriginAreHonoured) {
    World src(R(10, 20, 30, 50)), dst(R(-5, -7, 5, 3));
    src.FillWithCoordinates();
    dst.Fill(0);
    Copy(src, dst, R(12, 25, 17, 35), dst.bounds);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(dst.At(x, y), World::Code(Nearest(5, 10, x, 10), Nearest(2, 5, y, 10)));
}

TEST(CopyBits, ClipsToTheDestinationAndReadsNothingOutsideTheSource) {
    World src(R(0, 0, 8, 8)), dst(R(0, 0, 8, 8));
    src.FillWithCoordinates();
    const std::uint32_t untouched = 0x12345678;
    dst.Fill(untouched);
    // The destination rectangle reaches past every edge.
    Copy(src, dst, src.bounds, R(-4, -4, 12, 12));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(dst.At(x, y), World::Code(Nearest(0, 8, x + 4, 16), Nearest(0, 8, y + 4, 16)));
    // A source rectangle past the source's edges copies only what exists.
    dst.Fill(untouched);
    Copy(src, dst, R(-8, -8, 8, 8), dst.bounds);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int sx = Nearest(-8, 16, x, 8), sy = Nearest(-8, 16, y, 8);
            const std::uint32_t expected = sx >= 0 && sy >= 0 ? World::Code(sx, sy) : untouched;
            ASSERT_EQ(dst.At(x, y), expected);
        }
}

TEST(CopyBits, EmptyRectanglesAndOtherModesLeaveTheDestination) {
    World src(R(0, 0, 4, 4)), dst(R(0, 0, 4, 4));
    src.FillWithCoordinates();
    dst.Fill(7);
    Copy(src, dst, R(2, 0, 2, 4), dst.bounds);
    Copy(src, dst, src.bounds, R(0, 3, 4, 3));
    const Rect all = src.bounds;
    CopyBits(GetPortBitMapForCopyBits(src.gw), GetPortBitMapForCopyBits(dst.gw), &all, &all, 1, nullptr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) ASSERT_EQ(dst.At(x, y), 7u);
}

TEST(CopyBits, IgnoresTheColoursOfThePort) {
    World src(R(0, 0, 3, 3)), dst(R(0, 0, 3, 3));
    src.FillWithCoordinates();
    SetGWorld(dst.gw, nullptr);
    const RGBColor red = {0xFFFF, 0, 0};
    RGBForeColor(&red);
    RGBBackColor(&red);
    Copy(src, dst, src.bounds, dst.bounds);
    SetGWorld(nullptr, nullptr);
    EXPECT_EQ(dst.At(2, 1), World::Code(2, 1));
}

// The row-copying kernel against the per-pixel formula, on random sizes,
// crops and placements (some reaching outside either side).
TEST(ScaleCopy, MatchesTheReferenceOnRandomJobs) {
    std::mt19937 rng(20261208);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int trial = 0; trial < 300; ++trial) {
        const int sw = pick(1, 70), sh = pick(1, 40), dw = pick(1, 90), dh = pick(1, 50);
        const std::ptrdiff_t srb = 4 * sw + 4 * pick(0, 3), drb = 4 * dw + 4 * pick(0, 3);
        std::vector<std::uint8_t> src(std::size_t(srb * sh)), a(std::size_t(drb * dh)), b;
        for (auto& v : src) v = std::uint8_t(rng());
        for (auto& v : a) v = std::uint8_t(rng());
        b = a;
        mv::ScaleJob job{src.data(), srb, sw, sh, a.data(), drb, dw, dh,
                         pick(-10, sw), pick(-10, sh), pick(0, 2 * sw), pick(0, 2 * sh),
                         pick(-10, dw), pick(-10, dh), pick(0, 2 * dw), pick(0, 2 * dh)};
        mv::ScaleCopy(job);
        job.dst = b.data();
        mv::ScaleCopyReference(job);
        ASSERT_EQ(a, b) << "trial " << trial;
    }
}

}  // namespace
