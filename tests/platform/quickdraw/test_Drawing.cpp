// Pen drawing and rectangle arithmetic, pixel for pixel, in a small world
// made the current port.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "quickdraw/QuickDraw.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u, kRed = 0xFFFF0000u;

// A w x h world whose port is current, filled with white.
class Canvas {
public:
    Canvas(SInt16 w, SInt16 h) {
        const Rect bounds{0, 0, h, w};
        EXPECT_EQ(NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0), noErr);
        GetGWorld(&savedPort_, &savedDevice_);
        SetGWorld(world_, nullptr);
        const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF}, black{0, 0, 0};
        RGBBackColor(&white);
        EraseRect(&bounds);
        RGBForeColor(&black);
    }
    ~Canvas() {
        SetGWorld(savedPort_, savedDevice_);
        DisposeGWorld(world_);
    }
    // The pixel as 0xAARRGGBB.
    std::uint32_t At(int h, int v) const {
        PixMapHandle pm = GetGWorldPixMap(world_);
        const auto* p = reinterpret_cast<const std::uint8_t*>(GetPixBaseAddr(pm)) + v * GetPixRowBytes(pm) + h * 4;
        return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
    }
    // The pixels that are not white, as (h, v).
    std::set<std::pair<int, int>> Drawn(SInt16 w, SInt16 h) const {
        std::set<std::pair<int, int>> drawn;
        for (int v = 0; v < h; ++v)
            for (int x = 0; x < w; ++x)
                if (At(x, v) != kWhite) drawn.insert({x, v});
        return drawn;
    }
    GWorldPtr world() const { return world_; }

private:
    GWorldPtr world_ = nullptr;
    CGrafPtr savedPort_ = nullptr;
    GDHandle savedDevice_ = nullptr;
};

TEST(Drawing, FramePaintEraseAndInvertWithinTheClip) {
    Canvas c(8, 6);
    const Rect frame{1, 1, 5, 6};
    FrameRect(&frame);
    std::set<std::pair<int, int>> outline;
    for (int h = 1; h < 6; ++h) outline.insert({h, 1}), outline.insert({h, 4});
    for (int v = 2; v < 4; ++v) outline.insert({1, v}), outline.insert({5, v});
    EXPECT_EQ(c.Drawn(8, 6), outline);

    const RGBColor red{0xFFFF, 0, 0};
    RGBForeColor(&red);
    const Rect clip{0, 0, 6, 3};
    ClipRect(&clip);
    const Rect all{0, 0, 6, 8};
    PaintRect(&all);
    EXPECT_EQ(c.At(2, 0), kRed);
    EXPECT_EQ(c.At(3, 0), kWhite) << "outside the clip";
    InvertRect(&all);
    EXPECT_EQ(c.At(0, 0), 0xFF00FFFFu);
    EXPECT_EQ(c.At(5, 1), kBlack) << "the outline outside the clip stays";
    const Rect whole{-100, -100, 100, 100};
    ClipRect(&whole);
    EraseRect(&all);
    EXPECT_TRUE(c.Drawn(8, 6).empty());
    PenMode(srcXor);
    FrameRect(&frame);
    EXPECT_EQ(c.At(1, 1), kBlack) << "xor inverts";
    PenNormal();
}

TEST(Drawing, CopyBitsIntoTheCurrentPortKeepsToItsClip) {
    Canvas source(4, 4);
    const RGBColor red{0xFFFF, 0, 0};
    RGBForeColor(&red);
    const Rect all{0, 0, 4, 4};
    PaintRect(&all);
    Canvas c(8, 8);
    const Rect clip{2, 2, 6, 6};
    ClipRect(&clip);
    const Rect to{0, 0, 8, 8};
    CopyBits(GetPortBitMapForCopyBits(source.world()), GetPortBitMapForCopyBits(c.world()), &all, &to, srcCopy,
             nullptr);
    std::set<std::pair<int, int>> inside;
    for (int v = 2; v < 6; ++v)
        for (int h = 2; h < 6; ++h) inside.insert({h, v});
    EXPECT_EQ(c.Drawn(8, 8), inside);
}

TEST(Rects, InsetPt2RectAndPtInRect) {
    Rect r{10, 20, 30, 60};
    InsetRect(&r, 5, 2);
    EXPECT_TRUE((r.top == 12 && r.left == 25 && r.bottom == 28 && r.right == 55));
    InsetRect(&r, -5, -2);
    EXPECT_TRUE((r.top == 10 && r.left == 20 && r.bottom == 30 && r.right == 60));
    InsetRect(&r, 20, 0);
    EXPECT_TRUE((r.top == 0 && r.left == 0 && r.bottom == 0 && r.right == 0)) << "nothing left";
    Pt2Rect(Point{30, 5}, Point{10, 50}, &r);
    EXPECT_TRUE((r.top == 10 && r.left == 5 && r.bottom == 30 && r.right == 50));
    EXPECT_TRUE(PtInRect(Point{10, 5}, &r));
    EXPECT_FALSE(PtInRect(Point{30, 5}, &r)) << "the bottom edge is outside";
    EXPECT_FALSE(PtInRect(Point{10, 50}, &r)) << "the right edge is outside";
}

}  // namespace
