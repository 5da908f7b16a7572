// Frames for the engine's tests: offscreen worlds filled with opaque
// patterns, and a plain rendition of what a zoomed frame must look like.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "quickdraw/QuickDraw.h"

namespace enginetest {

inline Rect R(int top, int left, int bottom, int right) {
    return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}

inline void ExpectRect(const Rect& got, const Rect& want) {
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.bottom, want.bottom);
    EXPECT_EQ(got.right, want.right);
}

struct Frame {
    GWorldPtr gw = nullptr;
    int width = 0, height = 0;
    Frame(int w, int h) : width(w), height(h) {
        const Rect r = R(0, 0, h, w);
        EXPECT_EQ(NewGWorld(&gw, 32, &r, nullptr, nullptr, 0), noErr);
    }
    ~Frame() { DisposeGWorld(gw); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    std::uint8_t* At(int x, int y) const {
        PixMapHandle pm = GetGWorldPixMap(gw);
        return reinterpret_cast<std::uint8_t*>(GetPixBaseAddr(pm)) + std::ptrdiff_t(y) * GetPixRowBytes(pm) + 4 * x;
    }
    void FillOpaque(unsigned seed) const {
        std::mt19937 rng(seed);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = At(x, y);
                p[0] = 255;
                for (int c = 1; c < 4; ++c) p[c] = std::uint8_t(rng());
            }
    }
    void Fill(std::uint8_t v) const {
        for (int y = 0; y < height; ++y) std::memset(At(0, y), v, std::size_t(width) * 4);
    }
    // FNV-1a over the visible bytes of every row.
    std::uint32_t Checksum() const {
        std::uint32_t h = 2166136261u;
        for (int y = 0; y < height; ++y)
            for (int i = 0; i < width * 4; ++i) h = (h ^ At(0, y)[i]) * 16777619u;
        return h;
    }
};

// The zoomed frame written out plainly: the crop clamped into the frame,
// each pixel from the source pixel nearest its centre, then the unzoomed
// source laid over with opacity percent / 100 on opaque pixels.
inline void ExpectZoomedFrame(const Frame& src, const Frame& out, Rect crop, int percent) {
    const int cl = std::clamp<int>(crop.left, 0, src.width), cr = std::clamp<int>(crop.right, 0, src.width);
    const int ct = std::clamp<int>(crop.top, 0, src.height), cb = std::clamp<int>(crop.bottom, 0, src.height);
    const double a = std::clamp(percent / 100.0, 0.0, 1.0);
    int bad = 0;
    for (int y = 0; y < out.height && bad < 5; ++y)
        for (int x = 0; x < out.width && bad < 5; ++x) {
            const int sx = cl + int(std::floor((2.0 * x + 1) * (cr - cl) / (2.0 * out.width)));
            const int sy = ct + int(std::floor((2.0 * y + 1) * (cb - ct) / (2.0 * out.height)));
            const std::uint8_t* zoomed = src.At(sx, sy);
            const std::uint8_t* plain = src.At(x, y);
            const std::uint8_t* got = out.At(x, y);
            for (int c = 0; c < 4; ++c) {
                const double want = a * plain[c] + (1 - a) * zoomed[c];
                const double tolerance = (a == 0 || a == 1) ? 0 : 1;
                if (std::fabs(got[c] - want) > tolerance) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " channel " << c << ": " << int(got[c])
                                  << " instead of " << want;
                    ++bad;
                    break;
                }
            }
        }
}

}  // namespace enginetest
