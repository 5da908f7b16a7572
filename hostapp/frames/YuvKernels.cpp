#include "frames/YuvKernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mv {

namespace {

int fixed(double v, int shift) { return static_cast<int>(std::lround(v * (1 << shift))); }

std::uint8_t clamp8(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

template <typename T>
int sample(const std::uint8_t* row, int x) {
    T v;
    std::memcpy(&v, row + x * sizeof(T), sizeof(T));
    return v;
}

// Columns x0 to the end of row y, the plain way.
template <typename T>
void decodeRow(const YuvPicture& s, const YuvMatrix& m, ArgbView dst, int y, int x0) {
    const std::uint8_t* yr = s.data[0] + static_cast<std::ptrdiff_t>(y) * s.stride[0];
    const std::uint8_t* ur = s.data[1] + static_cast<std::ptrdiff_t>(y >> s.chromaShiftY) * s.stride[1];
    const std::uint8_t* vr = s.data[2] + static_cast<std::ptrdiff_t>(y >> s.chromaShiftY) * s.stride[2];
    const int round = 1 << (m.decodeShift - 1);
    std::uint8_t* out = dst.row(y) + x0 * 4;
    for (int x = x0; x < s.width; ++x, out += 4) {
        const int l = (sample<T>(yr, x) - m.yOffset) * m.y + round;
        const int u = sample<T>(ur, x >> s.chromaShiftX) - m.cOffset;
        const int v = sample<T>(vr, x >> s.chromaShiftX) - m.cOffset;
        out[0] = 255;
        out[1] = clamp8((l + v * m.rV) >> m.decodeShift);
        out[2] = clamp8((l - u * m.gU - v * m.gV) >> m.decodeShift);
        out[3] = clamp8((l + u * m.bU) >> m.decodeShift);
    }
}

void decodeRowPlain(const YuvPicture& s, const YuvMatrix& m, ArgbView dst, int y, int x0) {
    if (s.depth > 8)
        decodeRow<std::uint16_t>(s, m, dst, y, x0);
    else
        decodeRow<std::uint8_t>(s, m, dst, y, x0);
}

// Rows y and y + 1 (the same row again at an odd height's end), columns x0 on.
void encodeRowsPlain(ArgbView src, const YuvMatrix& m, std::uint8_t* const planes[3], const int strides[3], int y,
                     int x0) {
    const std::uint8_t* rows[2] = {src.row(y), src.row(std::min(y + 1, src.height - 1))};
    for (int r = 0; r < 2 && y + r < src.height; ++r) {
        std::uint8_t* out = planes[0] + static_cast<std::ptrdiff_t>(y + r) * strides[0];
        for (int x = x0; x < src.width; ++x) {
            const std::uint8_t* p = rows[r] + x * 4;
            out[x] = clamp8(((m.yBase << 15) + m.ry * p[1] + m.gy * p[2] + m.by * p[3] + (1 << 14)) >> 15);
        }
    }
    std::uint8_t* u = planes[1] + static_cast<std::ptrdiff_t>(y / 2) * strides[1];
    std::uint8_t* v = planes[2] + static_cast<std::ptrdiff_t>(y / 2) * strides[2];
    for (int x = x0; x < src.width; x += 2) {
        const int x1 = std::min(x + 1, src.width - 1);
        int sum[4] = {};
        for (const std::uint8_t* row : rows)
            for (int c = 1; c < 4; ++c) sum[c] += row[x * 4 + c] + row[x1 * 4 + c];
        const int bias = (128 << 17) + (1 << 16);
        u[x / 2] = clamp8((bias + m.ru * sum[1] + m.gu * sum[2] + m.bu * sum[3]) >> 17);
        v[x / 2] = clamp8((bias + m.rv * sum[1] + m.gv * sum[2] + m.bv * sum[3]) >> 17);
    }
}

#if defined(__SSE2__)

__m128i pairs(int first, int second) { return _mm_set1_epi32(static_cast<int>((static_cast<unsigned>(second) << 16) | (first & 0xffff))); }

__m128i quads(int a, int r, int g, int b) { return _mm_set_epi16(b, g, r, a, b, g, r, a); }

// The four pixels' weighted sums of A, R, G, B lanes (two pixels a register).
__m128i dot(__m128i p01, __m128i p23, __m128i weights) {
    const __m128 a = _mm_castsi128_ps(_mm_madd_epi16(p01, weights));
    const __m128 b = _mm_castsi128_ps(_mm_madd_epi16(p23, weights));
    return _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))),
                         _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))));
}

// Eight pixels of an 8-bit 4:2:0 row at a time; returns the columns done.
int decodeRow420Sse2(const YuvPicture& s, const YuvMatrix& m, ArgbView dst, int y) {
    const std::uint8_t* yr = s.data[0] + static_cast<std::ptrdiff_t>(y) * s.stride[0];
    const std::uint8_t* ur = s.data[1] + static_cast<std::ptrdiff_t>(y >> 1) * s.stride[1];
    const std::uint8_t* vr = s.data[2] + static_cast<std::ptrdiff_t>(y >> 1) * s.stride[2];
    std::uint8_t* out = dst.row(y);
    const __m128i zero = _mm_setzero_si128(), alpha = _mm_set1_epi8(-1);
    const __m128i yOff = _mm_set1_epi16(static_cast<short>(m.yOffset));
    const __m128i cOff = _mm_set1_epi16(static_cast<short>(m.cOffset));
    const __m128i toR = pairs(m.y, m.rV), toB = pairs(m.y, m.bU), toG = pairs(m.y, -m.gU), vToG = pairs(-m.gV, 0);
    const __m128i round = _mm_set1_epi32(1 << (m.decodeShift - 1));
    const __m128i shift = _mm_cvtsi32_si128(m.decodeShift);
    auto channel = [&](__m128i lo, __m128i hi) {
        lo = _mm_sra_epi32(_mm_add_epi32(lo, round), shift);
        hi = _mm_sra_epi32(_mm_add_epi32(hi, round), shift);
        const __m128i words = _mm_packs_epi32(lo, hi);
        return _mm_packus_epi16(words, words);
    };
    int x = 0;
    for (; x + 8 <= s.width; x += 8) {
        std::int32_t u4, v4;
        std::memcpy(&u4, ur + x / 2, 4);
        std::memcpy(&v4, vr + x / 2, 4);
        const __m128i l = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(yr + x)), zero), yOff);
        __m128i u = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(u4), zero), cOff);
        __m128i v = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(v4), zero), cOff);
        u = _mm_unpacklo_epi16(u, u);
        v = _mm_unpacklo_epi16(v, v);
        const __m128i luLo = _mm_unpacklo_epi16(l, u), luHi = _mm_unpackhi_epi16(l, u);
        const __m128i lvLo = _mm_unpacklo_epi16(l, v), lvHi = _mm_unpackhi_epi16(l, v);
        const __m128i vLo = _mm_unpacklo_epi16(v, zero), vHi = _mm_unpackhi_epi16(v, zero);
        const __m128i r = channel(_mm_madd_epi16(lvLo, toR), _mm_madd_epi16(lvHi, toR));
        const __m128i b = channel(_mm_madd_epi16(luLo, toB), _mm_madd_epi16(luHi, toB));
        const __m128i g = channel(_mm_add_epi32(_mm_madd_epi16(luLo, toG), _mm_madd_epi16(vLo, vToG)),
                                  _mm_add_epi32(_mm_madd_epi16(luHi, toG), _mm_madd_epi16(vHi, vToG)));
        const __m128i ar = _mm_unpacklo_epi8(alpha, r), gb = _mm_unpacklo_epi8(g, b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 4), _mm_unpacklo_epi16(ar, gb));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 4 + 16), _mm_unpackhi_epi16(ar, gb));
    }
    return x;
}

// Rows y and y + 1, eight pixels at a time; returns the columns done.
int encodeRows420Sse2(ArgbView src, const YuvMatrix& m, std::uint8_t* const planes[3], const int strides[3], int y) {
    const std::uint8_t* rows[2] = {src.row(y), src.row(std::min(y + 1, src.height - 1))};
    std::uint8_t* lumas[2] = {planes[0] + static_cast<std::ptrdiff_t>(y) * strides[0],
                              planes[0] + static_cast<std::ptrdiff_t>(y + 1) * strides[0]};
    const bool second = y + 1 < src.height;
    std::uint8_t* ur = planes[1] + static_cast<std::ptrdiff_t>(y / 2) * strides[1];
    std::uint8_t* vr = planes[2] + static_cast<std::ptrdiff_t>(y / 2) * strides[2];
    const __m128i zero = _mm_setzero_si128();
    const __m128i toY = quads(0, m.ry, m.gy, m.by), toU = quads(0, m.ru, m.gu, m.bu), toV = quads(0, m.rv, m.gv, m.bv);
    const __m128i yBias = _mm_set1_epi32((m.yBase << 15) + (1 << 14)), cBias = _mm_set1_epi32((128 << 17) + (1 << 16));
    auto bytes = [](__m128i lo, __m128i hi) {
        const __m128i words = _mm_packs_epi32(lo, hi);
        return _mm_packus_epi16(words, words);
    };
    int x = 0;
    for (; x + 8 <= src.width; x += 8) {
        __m128i wide[2][4];  // each row's eight pixels as 16-bit lanes, two a register
        for (int r = 0; r < 2; ++r) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + x * 4));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + x * 4 + 16));
            wide[r][0] = _mm_unpacklo_epi8(a, zero);
            wide[r][1] = _mm_unpackhi_epi8(a, zero);
            wide[r][2] = _mm_unpacklo_epi8(b, zero);
            wide[r][3] = _mm_unpackhi_epi8(b, zero);
            if (r == 1 && !second) break;
            const __m128i lo = _mm_srai_epi32(_mm_add_epi32(dot(wide[r][0], wide[r][1], toY), yBias), 15);
            const __m128i hi = _mm_srai_epi32(_mm_add_epi32(dot(wide[r][2], wide[r][3], toY), yBias), 15);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(lumas[r] + x), bytes(lo, hi));
        }
        __m128i blocks[4];  // each 2x2 block's sums, in the low half
        for (int i = 0; i < 4; ++i) {
            const __m128i both = _mm_add_epi16(wide[0][i], wide[second ? 1 : 0][i]);
            blocks[i] = _mm_add_epi16(both, _mm_srli_si128(both, 8));
        }
        const __m128i b01 = _mm_unpacklo_epi64(blocks[0], blocks[1]), b23 = _mm_unpacklo_epi64(blocks[2], blocks[3]);
        const __m128i u = _mm_srai_epi32(_mm_add_epi32(dot(b01, b23, toU), cBias), 17);
        const __m128i v = _mm_srai_epi32(_mm_add_epi32(dot(b01, b23, toV), cBias), 17);
        const std::int32_t u4 = _mm_cvtsi128_si32(bytes(u, u)), v4 = _mm_cvtsi128_si32(bytes(v, v));
        std::memcpy(ur + x / 2, &u4, 4);
        std::memcpy(vr + x / 2, &v4, 4);
    }
    return x;
}

#endif

}  // namespace

bool lumaWeights(AVColorSpace matrix, double& kr, double& kb) {
    switch (matrix) {
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: kr = 0.299; kb = 0.114; return true;
    case AVCOL_SPC_BT709: kr = 0.2126; kb = 0.0722; return true;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: kr = 0.2627; kb = 0.0593; return true;
    case AVCOL_SPC_SMPTE240M: kr = 0.212; kb = 0.087; return true;
    case AVCOL_SPC_FCC: kr = 0.30; kb = 0.11; return true;
    default: return false;
    }
}

YuvMatrix yuvMatrix(AVColorSpace matrix, bool fullRange, int depth) {
    double kr = 0.299, kb = 0.114;
    lumaWeights(matrix, kr, kb);
    const double kg = 1 - kr - kb;
    const int extra = depth - 8;
    YuvMatrix m;
    // Decoding: the source's code values to 0..255.
    const double top = (1 << depth) - 1;
    const double yScale = fullRange ? 255 / top : 255.0 / (219 << extra);
    const double cScale = fullRange ? 255 / top : 255.0 / (224 << extra);
    const int s = m.decodeShift = 13 + extra;
    m.yOffset = fullRange ? 0 : 16 << extra;
    m.cOffset = 1 << (depth - 1);
    m.y = fixed(yScale, s);
    m.rV = fixed(2 * (1 - kr) * cScale, s);
    m.bU = fixed(2 * (1 - kb) * cScale, s);
    m.gU = fixed(2 * kb * (1 - kb) / kg * cScale, s);
    m.gV = fixed(2 * kr * (1 - kr) / kg * cScale, s);
    // Encoding to 8 bits; each row of weights sums exactly to its range's, so
    // white is white and grey has no colour.
    const double ys = fullRange ? 1 : 219.0 / 255, cs = fullRange ? 1 : 224.0 / 255;
    m.yBase = fullRange ? 0 : 16;
    m.ry = fixed(kr * ys, 15);
    m.by = fixed(kb * ys, 15);
    m.gy = fixed(ys, 15) - m.ry - m.by;
    m.ru = fixed(-kr * cs / (2 * (1 - kb)), 15);
    m.bu = fixed(cs / 2, 15);
    m.gu = -m.ru - m.bu;
    m.rv = m.bu;
    m.bv = fixed(-kb * cs / (2 * (1 - kr)), 15);
    m.gv = -m.rv - m.bv;
    return m;
}

bool yuvPictureOf(const AVFrame* frame, YuvPicture& p) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (!d || d->nb_components != 3 || !(d->flags & AV_PIX_FMT_FLAG_PLANAR) ||
        (d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_FLOAT)))
        return false;
    const int depth = d->comp[0].depth;
    if (depth < 8 || depth > 16 || d->comp[0].step != (depth > 8 ? 2 : 1) || d->comp[0].shift != 0) return false;
    if (d->log2_chroma_w > 1 || d->log2_chroma_h > 1) return false;
    for (int i = 0; i < 3; ++i) {
        if (d->comp[i].plane != i) return false;
        p.data[i] = frame->data[i];
        p.stride[i] = frame->linesize[i];
    }
    p.width = frame->width;
    p.height = frame->height;
    p.depth = depth;
    p.chromaShiftX = d->log2_chroma_w;
    p.chromaShiftY = d->log2_chroma_h;
    return true;
}

void yuvToArgbPlain(const YuvPicture& src, const YuvMatrix& m, ArgbView dst) {
    for (int y = 0; y < src.height; ++y) decodeRowPlain(src, m, dst, y, 0);
}

void yuvToArgb(const YuvPicture& src, const YuvMatrix& m, ArgbView dst) {
#if defined(__SSE2__)
    if (src.depth == 8 && src.chromaShiftX == 1 && src.chromaShiftY == 1) {
        for (int y = 0; y < src.height; ++y) decodeRowPlain(src, m, dst, y, decodeRow420Sse2(src, m, dst, y));
        return;
    }
#endif
    yuvToArgbPlain(src, m, dst);
}

void argbToYuv420Plain(ArgbView src, const YuvMatrix& m, std::uint8_t* const planes[3], const int strides[3]) {
    for (int y = 0; y < src.height; y += 2) encodeRowsPlain(src, m, planes, strides, y, 0);
}

void argbToYuv420(ArgbView src, const YuvMatrix& m, std::uint8_t* const planes[3], const int strides[3]) {
#if defined(__SSE2__)
    for (int y = 0; y < src.height; y += 2)
        encodeRowsPlain(src, m, planes, strides, y, encodeRows420Sse2(src, m, planes, strides, y));
#else
    argbToYuv420Plain(src, m, planes, strides);
#endif
}

}  // namespace mv
