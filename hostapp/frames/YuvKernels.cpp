#include "frames/YuvKernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mv {

namespace {

int fixed(double v, int bits) { return static_cast<int>(std::lround(std::ldexp(v, bits))); }

std::uint8_t clamp8(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// What the vector lanes do: a 16-bit shift (which wraps) and the high half of a product.
int shifted(int v, int shift) { return static_cast<std::int16_t>(v * (1 << shift)); }
int high(int a, int b) { return (a * b) >> 16; }
// A sum of terms in 32nds of a level, rounded, with `base` added.
int level(int sum, int base) { return (sum + (base << 5) + 16) >> 5; }

template <typename T>
int sample(const std::uint8_t* row, int x) {
    T v;
    std::memcpy(&v, row + x * sizeof(T), sizeof(T));
    return v;
}

const std::uint8_t* rowOf(const YuvPicture& s, int plane, int y) {
    return s.data[plane] + static_cast<std::ptrdiff_t>(plane ? y >> s.chromaShiftY : y) * s.stride[plane];
}

// Columns x0 to the end of row y, the plain way.
template <typename T>
void decodeRow(const YuvPicture& s, const YuvMatrix& m, ArgbView dst, int y, int x0) {
    const std::uint8_t *yr = rowOf(s, 0, y), *ur = rowOf(s, 1, y), *vr = rowOf(s, 2, y);
    std::uint8_t* out = dst.row(y) + x0 * 4;
    for (int x = x0; x < s.width; ++x, out += 4) {
        const int l = high(shifted(sample<T>(yr, x) - m.yOffset, m.yShift), m.y);
        const int u = shifted(sample<T>(ur, x >> s.chromaShiftX) - m.cOffset, m.cShift);
        const int v = shifted(sample<T>(vr, x >> s.chromaShiftX) - m.cOffset, m.cShift);
        out[0] = 255;
        out[1] = clamp8(level(l + high(v, m.rV), 0));
        out[2] = clamp8(level(l - high(u, m.gU) - high(v, m.gV), 0));
        out[3] = clamp8(level(l + high(u, m.bU), 0));
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
            out[x] = clamp8(level(high(p[1] << 8, m.ry) + high(p[2] << 8, m.gy) + high(p[3] << 8, m.by), m.yBase));
        }
    }
    std::uint8_t* u = planes[1] + static_cast<std::ptrdiff_t>(y / 2) * strides[1];
    std::uint8_t* v = planes[2] + static_cast<std::ptrdiff_t>(y / 2) * strides[2];
    for (int x = x0; x < src.width; x += 2) {
        const int x1 = std::min(x + 1, src.width - 1);
        int sum[4] = {};
        for (const std::uint8_t* row : rows)
            for (int c = 1; c < 4; ++c) sum[c] = sum[c] + row[x * 4 + c] + row[x1 * 4 + c];
        const int r = sum[1] << 5, g = sum[2] << 5, b = sum[3] << 5;
        u[x / 2] = clamp8(level(high(r, m.ru) + high(g, m.gu) + high(b, m.bu), 128));
        v[x / 2] = clamp8(level(high(r, m.rv) + high(g, m.gv) + high(b, m.bv), 128));
    }
}

#if defined(__SSE2__)

__m128i splat(int v) { return _mm_set1_epi16(static_cast<short>(v)); }

// Eight samples as 16-bit lanes; four chroma samples, each twice.
__m128i eight(const std::uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}
__m128i eight(const std::uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
__m128i fourTwice(const std::uint8_t* p) {
    std::int32_t four;
    std::memcpy(&four, p, 4);
    const __m128i c = _mm_unpacklo_epi8(_mm_cvtsi32_si128(four), _mm_setzero_si128());
    return _mm_unpacklo_epi16(c, c);
}
__m128i fourTwice(const std::uint16_t* p) {
    const __m128i c = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    return _mm_unpacklo_epi16(c, c);
}

// Eight pixels of a row whose chroma is halved across, at a time; returns the columns done.
template <typename T>
int decodeRowSse2(const YuvPicture& s, const YuvMatrix& m, ArgbView dst, int y) {
    const T* yr = reinterpret_cast<const T*>(rowOf(s, 0, y));
    const T* ur = reinterpret_cast<const T*>(rowOf(s, 1, y));
    const T* vr = reinterpret_cast<const T*>(rowOf(s, 2, y));
    std::uint8_t* out = dst.row(y);
    const __m128i yOff = splat(m.yOffset), cOff = splat(m.cOffset), round = splat(16), alpha = _mm_set1_epi8(-1);
    const __m128i ySh = _mm_cvtsi32_si128(m.yShift), cSh = _mm_cvtsi32_si128(m.cShift);
    const __m128i cy = splat(m.y), rV = splat(m.rV), gU = splat(m.gU), gV = splat(m.gV), bU = splat(m.bU);
    int x = 0;
    for (; x + 8 <= s.width; x += 8) {
        const __m128i l = _mm_add_epi16(_mm_mulhi_epi16(_mm_sll_epi16(_mm_sub_epi16(eight(yr + x), yOff), ySh), cy), round);
        const __m128i u = _mm_sll_epi16(_mm_sub_epi16(fourTwice(ur + x / 2), cOff), cSh);
        const __m128i v = _mm_sll_epi16(_mm_sub_epi16(fourTwice(vr + x / 2), cOff), cSh);
        const __m128i r = _mm_srai_epi16(_mm_add_epi16(l, _mm_mulhi_epi16(v, rV)), 5);
        const __m128i g = _mm_srai_epi16(_mm_sub_epi16(_mm_sub_epi16(l, _mm_mulhi_epi16(u, gU)), _mm_mulhi_epi16(v, gV)), 5);
        const __m128i b = _mm_srai_epi16(_mm_add_epi16(l, _mm_mulhi_epi16(u, bU)), 5);
        const __m128i ar = _mm_unpacklo_epi8(alpha, _mm_packus_epi16(r, r));
        const __m128i gb = _mm_unpacklo_epi8(_mm_packus_epi16(g, g), _mm_packus_epi16(b, b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 4), _mm_unpacklo_epi16(ar, gb));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 4 + 16), _mm_unpackhi_epi16(ar, gb));
    }
    return x;
}

// Eight A, R, G, B pixels split into R, G and B as 16-bit lanes.
void split(const std::uint8_t* p, __m128i& r, __m128i& g, __m128i& b) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i mask = _mm_set1_epi32(0xff);
    r = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(lo, 8), mask), _mm_and_si128(_mm_srli_epi32(hi, 8), mask));
    g = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(lo, 16), mask), _mm_and_si128(_mm_srli_epi32(hi, 16), mask));
    b = _mm_packs_epi32(_mm_srli_epi32(lo, 24), _mm_srli_epi32(hi, 24));
}

struct Rgb128 {
    __m128i r, g, b;
};

__m128i packed(__m128i sum, __m128i base) {
    sum = _mm_srai_epi16(_mm_add_epi16(sum, base), 5);
    return _mm_packus_epi16(sum, sum);
}

// Luma of eight pixels of one row or two (`second`), stored; their R, G and
// B as samples << 5, the two rows added (or one row twice).
__attribute__((always_inline)) inline Rgb128 lumaAndSums(const std::uint8_t* row0, const std::uint8_t* row1,
                                                         bool second, std::uint8_t* y0, std::uint8_t* y1,
                                                         const Rgb128& w, __m128i base) {
    auto luma = [&](const Rgb128& c) {
        const __m128i sum = _mm_add_epi16(_mm_mulhi_epu16(_mm_slli_epi16(c.r, 8), w.r),
                                          _mm_mulhi_epu16(_mm_slli_epi16(c.g, 8), w.g));
        return packed(_mm_add_epi16(sum, _mm_mulhi_epu16(_mm_slli_epi16(c.b, 8), w.b)), base);
    };
    Rgb128 a, b;
    split(row0, a.r, a.g, a.b);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(y0), luma(a));
    if (second) {
        split(row1, b.r, b.g, b.b);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(y1), luma(b));
    } else {
        b = a;
    }
    return {_mm_slli_epi16(_mm_add_epi16(a.r, b.r), 5), _mm_slli_epi16(_mm_add_epi16(a.g, b.g), 5),
            _mm_slli_epi16(_mm_add_epi16(a.b, b.b), 5)};
}

// Rows y and y + 1, sixteen pixels at a time; returns the columns done.
int encodeRowsSse2(ArgbView src, const YuvMatrix& m, std::uint8_t* const planes[3], const int strides[3], int y) {
    const bool second = y + 1 < src.height;
    const std::uint8_t* row0 = src.row(y);
    const std::uint8_t* row1 = src.row(second ? y + 1 : y);
    std::uint8_t* y0 = planes[0] + static_cast<std::ptrdiff_t>(y) * strides[0];
    std::uint8_t* y1 = second ? y0 + strides[0] : y0;
    std::uint8_t* ur = planes[1] + static_cast<std::ptrdiff_t>(y / 2) * strides[1];
    std::uint8_t* vr = planes[2] + static_cast<std::ptrdiff_t>(y / 2) * strides[2];
    const __m128i ones = splat(1), yBase = splat((m.yBase << 5) + 16), cBase = splat((128 << 5) + 16);
    const Rgb128 wy{splat(m.ry), splat(m.gy), splat(m.by)};
    const Rgb128 wu{splat(m.ru), splat(m.gu), splat(m.bu)}, wv{splat(m.rv), splat(m.gv), splat(m.bv)};
    auto chroma = [&](const Rgb128& block, const Rgb128& w) {
        const __m128i sum = _mm_add_epi16(_mm_mulhi_epi16(block.r, w.r), _mm_mulhi_epi16(block.g, w.g));
        return packed(_mm_add_epi16(sum, _mm_mulhi_epi16(block.b, w.b)), cBase);
    };
    // Neighbours added in pairs: eight sums of sixteen samples.
    auto pairs = [&](__m128i a, __m128i b) { return _mm_packs_epi32(_mm_madd_epi16(a, ones), _mm_madd_epi16(b, ones)); };
    int x = 0;
    for (; x + 16 <= src.width; x += 16) {
        const Rgb128 a = lumaAndSums(row0 + x * 4, row1 + x * 4, second, y0 + x, y1 + x, wy, yBase);
        const Rgb128 b = lumaAndSums(row0 + x * 4 + 32, row1 + x * 4 + 32, second, y0 + x + 8, y1 + x + 8, wy, yBase);
        const Rgb128 block{pairs(a.r, b.r), pairs(a.g, b.g), pairs(a.b, b.b)};
        _mm_storel_epi64(reinterpret_cast<__m128i*>(ur + x / 2), chroma(block, wu));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(vr + x / 2), chroma(block, wv));
    }
    return x;
}

#endif

#if defined(__x86_64__) || defined(__i386__)
#define MV_AVX2 __attribute__((target("avx2")))
#include <immintrin.h>

MV_AVX2 __m256i splat256(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }

// Sixteen samples as 16-bit lanes; eight chroma samples, each twice.
MV_AVX2 __m256i sixteen(const std::uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
MV_AVX2 __m256i sixteen(const std::uint16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
MV_AVX2 __m256i eightTwice(const std::uint8_t* p) {
    const __m128i c = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    return _mm256_cvtepu8_epi16(_mm_unpacklo_epi8(c, c));
}
MV_AVX2 __m256i eightTwice(const std::uint16_t* p) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return _mm256_set_m128i(_mm_unpackhi_epi16(c, c), _mm_unpacklo_epi16(c, c));
}

// As decodeRowSse2, sixteen pixels at a time.
template <typename T>
MV_AVX2 int decodeRowAvx2(const YuvPicture& s, const YuvMatrix& m, ArgbView dst, int y) {
    const T* yr = reinterpret_cast<const T*>(rowOf(s, 0, y));
    const T* ur = reinterpret_cast<const T*>(rowOf(s, 1, y));
    const T* vr = reinterpret_cast<const T*>(rowOf(s, 2, y));
    std::uint8_t* out = dst.row(y);
    const __m256i yOff = splat256(m.yOffset), cOff = splat256(m.cOffset), round = splat256(16);
    const __m256i alpha = _mm256_set1_epi8(-1);
    const __m128i ySh = _mm_cvtsi32_si128(m.yShift), cSh = _mm_cvtsi32_si128(m.cShift);
    const __m256i cy = splat256(m.y), rV = splat256(m.rV), gU = splat256(m.gU), gV = splat256(m.gV), bU = splat256(m.bU);
    int x = 0;
    for (; x + 16 <= s.width; x += 16) {
        const __m256i l = _mm256_add_epi16(
            _mm256_mulhi_epi16(_mm256_sll_epi16(_mm256_sub_epi16(sixteen(yr + x), yOff), ySh), cy), round);
        const __m256i u = _mm256_sll_epi16(_mm256_sub_epi16(eightTwice(ur + x / 2), cOff), cSh);
        const __m256i v = _mm256_sll_epi16(_mm256_sub_epi16(eightTwice(vr + x / 2), cOff), cSh);
        const __m256i r = _mm256_srai_epi16(_mm256_add_epi16(l, _mm256_mulhi_epi16(v, rV)), 5);
        const __m256i g = _mm256_srai_epi16(
            _mm256_sub_epi16(_mm256_sub_epi16(l, _mm256_mulhi_epi16(u, gU)), _mm256_mulhi_epi16(v, gV)), 5);
        const __m256i b = _mm256_srai_epi16(_mm256_add_epi16(l, _mm256_mulhi_epi16(u, bU)), 5);
        // Within each 128-bit half: pixels 0-7 in the low one, 8-15 in the high one.
        const __m256i ar = _mm256_unpacklo_epi8(alpha, _mm256_packus_epi16(r, r));
        const __m256i gb = _mm256_unpacklo_epi8(_mm256_packus_epi16(g, g), _mm256_packus_epi16(b, b));
        const __m256i lo = _mm256_unpacklo_epi16(ar, gb), hi = _mm256_unpackhi_epi16(ar, gb);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x * 4), _mm256_permute2x128_si256(lo, hi, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x * 4 + 32), _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    return x;
}

// Two registers of eight 32-bit lanes packed to sixteen 16-bit ones, in order.
MV_AVX2 __m256i packInOrder(__m256i lo, __m256i hi) {
    return _mm256_permute4x64_epi64(_mm256_packs_epi32(lo, hi), 0xd8);
}

// Sixteen A, R, G, B pixels split into R, G and B, each in the high bytes of
// 16-bit lanes, in order.
MV_AVX2 void split256(const std::uint8_t* p, __m256i& r, __m256i& g, __m256i& b) {
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const char z = -128;  // a zero byte
    const __m256i toRG = _mm256_setr_epi8(z, 1, z, 5, z, 9, z, 13, z, 2, z, 6, z, 10, z, 14,
                                          z, 1, z, 5, z, 9, z, 13, z, 2, z, 6, z, 10, z, 14);
    const __m256i toB = _mm256_setr_epi8(z, 3, z, 7, z, 11, z, 15, z, z, z, z, z, z, z, z,
                                         z, 3, z, 7, z, 11, z, 15, z, z, z, z, z, z, z, z);
    const __m256i rgLo = _mm256_shuffle_epi8(lo, toRG), rgHi = _mm256_shuffle_epi8(hi, toRG);
    // Each 128-bit half holds four pixels: the quarters come out 0, 2, 1, 3.
    r = _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(rgLo, rgHi), 0xd8);
    g = _mm256_permute4x64_epi64(_mm256_unpackhi_epi64(rgLo, rgHi), 0xd8);
    b = _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(_mm256_shuffle_epi8(lo, toB), _mm256_shuffle_epi8(hi, toB)), 0xd8);
}

struct Rgb256 {
    __m256i r, g, b;
};

// Luma of sixteen pixels of one row or two (`second`), stored; their R, G
// and B as samples << 5, the two rows added (or one row twice).
MV_AVX2 __attribute__((always_inline)) inline Rgb256 lumaAndSums(const std::uint8_t* row0, const std::uint8_t* row1,
                                                                  bool second, std::uint8_t* y0, std::uint8_t* y1,
                                                                  const Rgb256& w, const __m256i& base) {
    auto luma = [&](const Rgb256& c) MV_AVX2 {
        __m256i sum = _mm256_add_epi16(_mm256_mulhi_epu16(c.r, w.r), _mm256_mulhi_epu16(c.g, w.g));
        sum = _mm256_add_epi16(_mm256_add_epi16(sum, _mm256_mulhi_epu16(c.b, w.b)), base);
        sum = _mm256_srai_epi16(sum, 5);
        return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(sum, sum), 0x08));
    };
    Rgb256 a, b;
    split256(row0, a.r, a.g, a.b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(y0), luma(a));
    if (second) {
        split256(row1, b.r, b.g, b.b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y1), luma(b));
    } else {
        b = a;
    }
    // A sample << 8 >> 3 is the sample << 5: four of them fit a lane.
    return {_mm256_add_epi16(_mm256_srli_epi16(a.r, 3), _mm256_srli_epi16(b.r, 3)),
            _mm256_add_epi16(_mm256_srli_epi16(a.g, 3), _mm256_srli_epi16(b.g, 3)),
            _mm256_add_epi16(_mm256_srli_epi16(a.b, 3), _mm256_srli_epi16(b.b, 3))};
}

// As encodeRowsSse2, thirty-two pixels at a time.
MV_AVX2 int encodeRowsAvx2(ArgbView src, const YuvMatrix& m, std::uint8_t* const planes[3], const int strides[3], int y) {
    const bool second = y + 1 < src.height;
    const std::uint8_t* row0 = src.row(y);
    const std::uint8_t* row1 = src.row(second ? y + 1 : y);
    std::uint8_t* y0 = planes[0] + static_cast<std::ptrdiff_t>(y) * strides[0];
    std::uint8_t* y1 = second ? y0 + strides[0] : y0;
    std::uint8_t* ur = planes[1] + static_cast<std::ptrdiff_t>(y / 2) * strides[1];
    std::uint8_t* vr = planes[2] + static_cast<std::ptrdiff_t>(y / 2) * strides[2];
    const __m256i ones = splat256(1), yBase = splat256((m.yBase << 5) + 16), cBase = splat256((128 << 5) + 16);
    const Rgb256 wy{splat256(m.ry), splat256(m.gy), splat256(m.by)};
    const Rgb256 wu{splat256(m.ru), splat256(m.gu), splat256(m.bu)}, wv{splat256(m.rv), splat256(m.gv), splat256(m.bv)};
    auto chroma = [&](const Rgb256& block, const Rgb256& w) MV_AVX2 {
        __m256i sum = _mm256_add_epi16(_mm256_mulhi_epi16(block.r, w.r), _mm256_mulhi_epi16(block.g, w.g));
        sum = _mm256_add_epi16(_mm256_add_epi16(sum, _mm256_mulhi_epi16(block.b, w.b)), cBase);
        sum = _mm256_srai_epi16(sum, 5);
        return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(sum, sum), 0x08));
    };
    auto pairs = [&](__m256i a, __m256i b) MV_AVX2 {
        return packInOrder(_mm256_madd_epi16(a, ones), _mm256_madd_epi16(b, ones));
    };
    int x = 0;
    for (; x + 32 <= src.width; x += 32) {
        const Rgb256 a = lumaAndSums(row0 + x * 4, row1 + x * 4, second, y0 + x, y1 + x, wy, yBase);
        const Rgb256 b = lumaAndSums(row0 + x * 4 + 64, row1 + x * 4 + 64, second, y0 + x + 16, y1 + x + 16, wy, yBase);
        const Rgb256 block{pairs(a.r, b.r), pairs(a.g, b.g), pairs(a.b, b.b)};
        _mm_storeu_si128(reinterpret_cast<__m128i*>(ur + x / 2), chroma(block, wu));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(vr + x / 2), chroma(block, wv));
    }
    return x;
}
#endif

}  // namespace

YuvMatrix yuvMatrix(double kr, double kb, bool fullRange, int depth) {
    const double kg = 1 - kr - kb;
    const int extra = depth - 8;
    YuvMatrix m;
    // Decoding: the source's code values to 0..255. Luma fills 15 bits of
    // the lane, chroma (signed) 16; the coefficients carry what the shifts
    // leave, so terms come out in 32nds of a level.
    const double top = (1 << depth) - 1;
    const double yScale = fullRange ? 255 / top : 255.0 / (219 << extra);
    const double cScale = fullRange ? 255 / top : 255.0 / (224 << extra);
    m.yOffset = fullRange ? 0 : 16 << extra;
    m.cOffset = 1 << (depth - 1);
    m.yShift = 15 - depth;
    m.cShift = 16 - depth;
    m.y = fixed(yScale, 21 - m.yShift);
    m.rV = fixed(2 * (1 - kr) * cScale, 21 - m.cShift);
    m.bU = fixed(2 * (1 - kb) * cScale, 21 - m.cShift);
    m.gU = fixed(2 * kb * (1 - kb) / kg * cScale, 21 - m.cShift);
    m.gV = fixed(2 * kr * (1 - kr) / kg * cScale, 21 - m.cShift);
    // Encoding to 8 bits; each row of weights sums exactly to its range's, so
    // white is white and grey has no colour.
    const double ys = fullRange ? 1 : 219.0 / 255, cs = fullRange ? 1 : 224.0 / 255;
    m.yBase = fullRange ? 0 : 16;
    m.ry = fixed(kr * ys, 13);
    m.by = fixed(kb * ys, 13);
    m.gy = fixed(ys, 13) - m.ry - m.by;
    m.ru = fixed(-kr * cs / (2 * (1 - kb)), 14);
    m.bu = fixed(cs / 2, 14);
    m.gu = -m.ru - m.bu;
    m.rv = m.bu;
    m.bv = fixed(-kb * cs / (2 * (1 - kr)), 14);
    m.gv = -m.rv - m.bv;
    return m;
}

namespace {

// The row kernels for a call, chosen once: each returns how many pixels (or
// pairs of rows' pixels) it did, the plain loops doing the rest.
using DecodeRowFn = int (*)(const YuvPicture&, const YuvMatrix&, ArgbView, int);
using EncodeRowsFn = int (*)(ArgbView, const YuvMatrix&, std::uint8_t* const[3], const int[3], int);

int noVectors(const YuvPicture&, const YuvMatrix&, ArgbView, int) { return 0; }
int noVectors(ArgbView, const YuvMatrix&, std::uint8_t* const[3], const int[3], int) { return 0; }

DecodeRowFn decodeRowFor([[maybe_unused]] const YuvPicture& src, [[maybe_unused]] SimdLevel level) {
    [[maybe_unused]] const bool wide = src.depth > 8;
    if (src.chromaShiftX != 1) return noVectors;
#if defined(__x86_64__) || defined(__i386__)
    if (level == SimdLevel::Avx2) return wide ? decodeRowAvx2<std::uint16_t> : decodeRowAvx2<std::uint8_t>;
#endif
#if defined(__SSE2__)
    if (level == SimdLevel::Sse2) return wide ? decodeRowSse2<std::uint16_t> : decodeRowSse2<std::uint8_t>;
#endif
    return noVectors;
}

EncodeRowsFn encodeRowsFor([[maybe_unused]] SimdLevel level) {
#if defined(__x86_64__) || defined(__i386__)
    if (level == SimdLevel::Avx2) return encodeRowsAvx2;
#endif
#if defined(__SSE2__)
    if (level == SimdLevel::Sse2) return encodeRowsSse2;
#endif
    return noVectors;
}

}  // namespace

void yuvToArgb(const YuvPicture& src, const YuvMatrix& m, ArgbView dst, SimdLevel level) {
    const DecodeRowFn vectors = decodeRowFor(src, SimdRuns(level) ? level : SimdLevel::Plain);
    for (int y = 0; y < src.height; ++y) decodeRowPlain(src, m, dst, y, vectors(src, m, dst, y));
}

void argbToYuv420(ArgbView src, const YuvMatrix& m, std::uint8_t* const planes[3], const int strides[3],
                  SimdLevel level) {
    const EncodeRowsFn vectors = encodeRowsFor(SimdRuns(level) ? level : SimdLevel::Plain);
    for (int y = 0; y < src.height; y += 2) encodeRowsPlain(src, m, planes, strides, y, vectors(src, m, planes, strides, y));
}

}  // namespace mv
