// The colour kernels: every vector path this processor has equals the plain
// one bit for bit, and the plain one is within one level of exact arithmetic
// for every matrix, range, depth and chroma layout. (How untagged pictures
// are read is the end-to-end render's to show: test_render_colour.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "frames/Colour.h"
#include "frames/PixelConvert.h"
#include "frames/YuvKernels.h"

using namespace mv;

namespace {

struct Case {
    AVColorSpace matrix;
    bool full;
    AVPixelFormat format;
};

const Case kCases[] = {
    {AVCOL_SPC_SMPTE170M, false, AV_PIX_FMT_YUV420P}, {AVCOL_SPC_SMPTE170M, true, AV_PIX_FMT_YUV420P},
    {AVCOL_SPC_BT709, false, AV_PIX_FMT_YUV420P},     {AVCOL_SPC_BT709, true, AV_PIX_FMT_YUV420P},
    {AVCOL_SPC_BT2020_NCL, false, AV_PIX_FMT_YUV420P}, {AVCOL_SPC_BT2020_NCL, true, AV_PIX_FMT_YUV420P},
    {AVCOL_SPC_BT709, false, AV_PIX_FMT_YUV422P},     {AVCOL_SPC_BT709, true, AV_PIX_FMT_YUV444P},
    {AVCOL_SPC_BT2020_NCL, false, AV_PIX_FMT_YUV420P10LE}, {AVCOL_SPC_BT2020_NCL, true, AV_PIX_FMT_YUV444P10LE},
    {AVCOL_SPC_BT709, false, AV_PIX_FMT_YUV422P10LE},  {AVCOL_SPC_SMPTE170M, false, AV_PIX_FMT_YUV420P12LE},
    {AVCOL_SPC_BT709, false, AV_PIX_FMT_YUV420P9LE},   {AVCOL_SPC_BT2020_NCL, true, AV_PIX_FMT_YUV420P14LE},
    {AVCOL_SPC_SMPTE240M, false, AV_PIX_FMT_YUV420P},  {AVCOL_SPC_FCC, true, AV_PIX_FMT_YUV420P},
};

std::string name(const Case& c) {
    return std::string(av_color_space_name(c.matrix)) + (c.full ? " full " : " limited ") +
           av_get_pix_fmt_name(c.format);
}

// 77 columns: whole vector steps of 8, 16 and 32 and an odd tail after
// each; 9 rows: an odd last row.
constexpr int W = 77, H = 9;

std::vector<SimdLevel> vectorLevels() {
    std::vector<SimdLevel> levels;
    for (SimdLevel l : {SimdLevel::Sse2, SimdLevel::Avx2})
        if (l <= BestSimdLevel()) levels.push_back(l);
    return levels;
}

FramePtr randomPicture(AVPixelFormat format, unsigned seed) {
    FramePtr f = newFrame();
    f->format = format, f->width = W, f->height = H;
    EXPECT_EQ(av_frame_get_buffer(f.get(), 0), 0);
    const int depth = av_pix_fmt_desc_get(format)->comp[0].depth;
    std::mt19937 rng(seed);
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < f->linesize[p] / (depth > 8 ? 2 : 1); ++x) {
                const int v = static_cast<int>(rng() % (1u << depth));
                if (depth > 8)
                    reinterpret_cast<std::uint16_t*>(f->data[p] + y * f->linesize[p])[x] = static_cast<std::uint16_t>(v);
                else
                    f->data[p][y * f->linesize[p] + x] = static_cast<std::uint8_t>(v);
            }
    return f;
}

int sampleAt(const YuvPicture& p, int plane, int x, int y) {
    const std::uint8_t* row = p.data[plane] + y * p.stride[plane];
    return p.depth > 8 ? reinterpret_cast<const std::uint16_t*>(row)[x] : row[x];
}

// The standards' luma weights, written here apart from the code's own table,
// so a weight mistyped there shows.
void weights(AVColorSpace matrix, double& kr, double& kb) {
    switch (matrix) {
    case AVCOL_SPC_BT709: kr = 0.2126, kb = 0.0722; return;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: kr = 0.299, kb = 0.114; return;
    case AVCOL_SPC_BT2020_NCL: kr = 0.2627, kb = 0.0593; return;
    case AVCOL_SPC_SMPTE240M: kr = 0.212, kb = 0.087; return;
    case AVCOL_SPC_FCC: kr = 0.30, kb = 0.11; return;
    default: FAIL() << "no weights for matrix " << matrix;
    }
}

int level(double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0))); }

// Y'CbCr to R, G, B in floating point, from the standards' formulas.
void exactRgb(const Case& c, int depth, int y, int u, int v, int rgb[3]) {
    double kr, kb;
    weights(c.matrix, kr, kb);
    const double top = (1 << depth) - 1, n = 1 << (depth - 8);
    const double l = c.full ? y * 255 / top : (y - 16 * n) * 255 / (219 * n);
    const double cb = (u - 128 * n) * 255 / (c.full ? top : 224 * n), cr = (v - 128 * n) * 255 / (c.full ? top : 224 * n);
    const double kg = 1 - kr - kb;
    rgb[0] = level(l + 2 * (1 - kr) * cr);
    rgb[1] = level(l - 2 * kb * (1 - kb) / kg * cb - 2 * kr * (1 - kr) / kg * cr);
    rgb[2] = level(l + 2 * (1 - kb) * cb);
}

TEST(YuvKernels, DecodingIsExactWithinOneAndTheVectorPathIsThePlainOne) {
    unsigned seed = 1;
    for (const Case& c : kCases) {
        SCOPED_TRACE(name(c));
        FramePtr f = randomPicture(c.format, seed++);
        YuvPicture p;
        ASSERT_TRUE(yuvPictureOf(f.get(), p));
        const YuvMatrix m = yuvMatrixFor(c.matrix, c.full, p.depth);
        ArgbImage plain(W, H);
        yuvToArgb(p, m, plain.view(), SimdLevel::Plain);
        for (SimdLevel level : vectorLevels()) {
            ArgbImage fast(W, H);
            yuvToArgb(p, m, fast.view(), level);
            ASSERT_EQ(fast.pixels, plain.pixels) << "level " << static_cast<int>(level);
        }
        int worst = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                int rgb[3];
                exactRgb(c, p.depth, sampleAt(p, 0, x, y), sampleAt(p, 1, x >> p.chromaShiftX, y >> p.chromaShiftY),
                         sampleAt(p, 2, x >> p.chromaShiftX, y >> p.chromaShiftY), rgb);
                const std::uint8_t* px = plain.view().row(y) + x * 4;
                ASSERT_EQ(px[0], 255);
                for (int k = 0; k < 3; ++k) worst = std::max(worst, std::abs(px[k + 1] - rgb[k]));
            }
        EXPECT_LE(worst, 1);
    }
}

// R, G, B to 8-bit 4:2:0 in floating point: each 2x2 block's average for chroma.
void exactYuv(const Case& c, ArgbView src, int x, int y, int out[3]) {
    double kr, kb;
    weights(c.matrix, kr, kb);
    const double ys = c.full ? 1 : 219.0 / 255, cs = c.full ? 1 : 224.0 / 255, base = c.full ? 0 : 16;
    auto luma = [&](const std::uint8_t* p) { return kr * p[1] + (1 - kr - kb) * p[2] + kb * p[3]; };
    out[0] = level(base + ys * luma(src.row(y) + x * 4));
    const int x0 = x & ~1, y0 = y & ~1;
    double r = 0, g = 0, b = 0;
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            const std::uint8_t* p = src.row(std::min(y0 + dy, src.height - 1)) + std::min(x0 + dx, src.width - 1) * 4;
            r += p[1] / 4.0, g += p[2] / 4.0, b += p[3] / 4.0;
        }
    const double l = kr * r + (1 - kr - kb) * g + kb * b;
    out[1] = level(128 + cs * (b - l) / (2 * (1 - kb)));
    out[2] = level(128 + cs * (r - l) / (2 * (1 - kr)));
}

// Also on pictures whose rows end where memory does, at either height parity.
TEST(YuvKernels, EncodingIsExactWithinOneAndTheVectorPathIsThePlainOne) {
    unsigned seed = 100;
    for (const Case& c : kCases) {
        if (c.format != AV_PIX_FMT_YUV420P) continue;
        SCOPED_TRACE(name(c));
        for (int h : {H, H + 1}) {
            std::vector<std::uint8_t> tight(static_cast<std::size_t>(W) * h * 4);
            std::mt19937 rng(seed++);
            for (auto& b : tight) b = static_cast<std::uint8_t>(rng());
            const ArgbView src{tight.data(), W * 4, W, h};
            const YuvMatrix m = yuvMatrixFor(c.matrix, c.full, 8);
            auto encode = [&](SimdLevel level) {
                FramePtr f = newFrame();
                f->format = AV_PIX_FMT_YUV420P, f->width = W, f->height = h;
                EXPECT_EQ(av_frame_get_buffer(f.get(), 0), 0);
                argbToYuv420(src, m, f->data, f->linesize, level);
                return f;
            };
            const FramePtr plain = encode(SimdLevel::Plain);
            auto at = [&](const FramePtr& f, int p, int x, int y) {
                return f->data[p][(p ? y / 2 : y) * f->linesize[p] + (p ? x / 2 : x)];
            };
            for (SimdLevel level : vectorLevels()) {
                const FramePtr fast = encode(level);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < W; ++x)
                        for (int p = 0; p < 3; ++p)
                            ASSERT_EQ(at(fast, p, x, y), at(plain, p, x, y))
                                << "level " << static_cast<int>(level) << " plane " << p << " at " << x << "," << y;
            }
            int worst = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < W; ++x) {
                    int want[3];
                    exactYuv(c, src, x, y, want);
                    for (int p = 0; p < 3; ++p) worst = std::max(worst, std::abs(at(plain, p, x, y) - want[p]));
                }
            EXPECT_LE(worst, 1);
        }
    }
}

}  // namespace

namespace {

// Ramps of each primary, 0 to 255, encoded: on average each sample is the
// exact value worked from the standard's weights (at 255 the standards' 100 %
// colour bars, BT.601's 81/90/240 red, BT.709's 63/102/240 and so on), within
// rounding's spread (its mean a few hundredths); a weight 0.0036 off moves
// the mean of a ramp by a third of a level or more.
TEST(YuvKernels, PrimaryRampsEncodeToTheStandardsValuesOnAverage) {
    for (const AVColorSpace matrix :
         {AVCOL_SPC_BT709, AVCOL_SPC_SMPTE170M, AVCOL_SPC_BT2020_NCL, AVCOL_SPC_SMPTE240M, AVCOL_SPC_FCC}) {
        for (int primary = 1; primary <= 3; ++primary) {
            SCOPED_TRACE(std::string(av_color_space_name(matrix)) + " primary " + std::to_string(primary));
            // Each level twice across and two rows down: one 2x2 block a level.
            ArgbImage ramp(512, 2);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 512; ++x) {
                    std::uint8_t* px = ramp.view().row(y) + x * 4;
                    px[0] = 255, px[1] = px[2] = px[3] = 0;
                    px[primary] = static_cast<std::uint8_t>(x / 2);
                }
            std::vector<std::uint8_t> luma(1024), cb(256), cr(256);
            std::uint8_t* const out[3] = {luma.data(), cb.data(), cr.data()};
            const int strides[3] = {512, 256, 256};
            argbToYuv420(ramp.view(), yuvMatrixFor(matrix, false, 8), out, strides);
            double drift[3] = {};
            for (int level = 0; level < 256; ++level) {
                double kr, kb;
                weights(matrix, kr, kb);
                const double rgb[3] = {primary == 1 ? level : 0.0, primary == 2 ? level : 0.0, primary == 3 ? level : 0.0};
                const double l = kr * rgb[0] + (1 - kr - kb) * rgb[1] + kb * rgb[2];
                drift[0] += luma[static_cast<std::size_t>(level) * 2] - (16 + 219.0 / 255 * l);
                drift[1] += cb[static_cast<std::size_t>(level)] - (128 + 224.0 / 255 * (rgb[2] - l) / (2 * (1 - kb)));
                drift[2] += cr[static_cast<std::size_t>(level)] - (128 + 224.0 / 255 * (rgb[0] - l) / (2 * (1 - kr)));
            }
            for (double d : drift) EXPECT_LE(std::abs(d / 256), 0.15);
        }
    }
}

// The matrices a clip may have: the three the effect converts, and the others
// refused at opening, BT.2020's constant luminance among them (its R, G, B
// come from no matrix, so converting it as the non-constant one would give
// wrong colours).
TEST(Matrices, OnlyThoseTheEffectConvertsAreTaken) {
    const std::pair<AVColorSpace, bool> matrices[] = {
        {AVCOL_SPC_BT470BG, true},     {AVCOL_SPC_SMPTE170M, true}, {AVCOL_SPC_BT709, true},
        {AVCOL_SPC_BT2020_NCL, true},  {AVCOL_SPC_UNSPECIFIED, true}, {AVCOL_SPC_BT2020_CL, false},
        {AVCOL_SPC_YCGCO, false},      {AVCOL_SPC_ICTCP, false},
    };
    for (const auto& [matrix, taken] : matrices) EXPECT_EQ(mv::convertibleMatrix(matrix), taken) << matrix;
}

}  // namespace
