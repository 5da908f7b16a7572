#include "quartz/Composite.h"

#include "system/Simd.h"

#include <algorithm>
#include <cmath>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MV_X86 1
#endif

namespace mv {

int OpacityWeight(float alpha) {
    const long w = std::lrint(double{alpha} * 256.0);
    return static_cast<int>(std::clamp(w, 0L, 256L));
}

void CompositeRowReference(const std::uint8_t* src, std::uint8_t* dst, int count, int weight) {
    for (int i = 0; i < count; ++i, src += 4, dst += 4) {
        const int f = 256 - (src[0] * weight + 254) / 255;
        for (int c = 0; c < 4; ++c)
            dst[c] = static_cast<std::uint8_t>(std::min(255, (src[c] * weight + dst[c] * f + 128) >> 8));
    }
}

#if MV_X86
namespace {

// Pixels widened to 16-bit lanes, A R G B A R G B per 128 bits. The general
// case derives f per pixel: ceil(x / 255) = floor((x + 254) / 255), and
// floor(y / 255) = (y * 0x8081) >> 23 for 16-bit y. Saturating sums match
// the reference's clamp on pixels that are not properly premultiplied.
__attribute__((target("sse2"))) inline __m128i Blend(__m128i s, __m128i d, __m128i w) {
    const __m128i sw = _mm_mullo_epi16(s, w);
    const __m128i aw = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sw, 0), 0);
    const __m128i y = _mm_add_epi16(aw, _mm_set1_epi16(254));
    const __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(y, _mm_set1_epi16(short(0x8081))), 7);
    const __m128i f = _mm_sub_epi16(_mm_set1_epi16(256), q);
    const __m128i sum = _mm_adds_epu16(_mm_adds_epu16(sw, _mm_mullo_epi16(d, f)), _mm_set1_epi16(128));
    return _mm_srli_epi16(sum, 8);
}

// Opaque source pixels: f is 256 - w for all of them.
__attribute__((target("sse2"))) inline __m128i BlendOpaque(__m128i s, __m128i d, __m128i w, __m128i f) {
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s, w), _mm_mullo_epi16(d, f)),
                                      _mm_set1_epi16(128));
    return _mm_srli_epi16(sum, 8);
}

__attribute__((target("sse2"))) void CompositeRowSSE2(const std::uint8_t* src, std::uint8_t* dst, int count,
                                                      int weight) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i w = _mm_set1_epi16(short(weight)), f = _mm_set1_epi16(short(256 - weight));
    const __m128i alpha = _mm_set1_epi32(0xFF);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + 4 * i));
        const __m128i sl = _mm_unpacklo_epi8(s, zero), sh = _mm_unpackhi_epi8(s, zero);
        const __m128i dl = _mm_unpacklo_epi8(d, zero), dh = _mm_unpackhi_epi8(d, zero);
        const bool opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alpha), alpha)) == 0xFFFF;
        const __m128i out = opaque ? _mm_packus_epi16(BlendOpaque(sl, dl, w, f), BlendOpaque(sh, dh, w, f))
                                   : _mm_packus_epi16(Blend(sl, dl, w), Blend(sh, dh, w));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * i), out);
    }
    CompositeRowReference(src + 4 * i, dst + 4 * i, count - i, weight);
}

// The same on 256 bits; unpack, shuffle and pack all stay within 128-bit
// halves, so the pixel order comes back as it went in.
__attribute__((target("avx2"))) inline __m256i Blend(__m256i s, __m256i d, __m256i w) {
    const __m256i sw = _mm256_mullo_epi16(s, w);
    const __m256i aw = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(sw, 0), 0);
    const __m256i y = _mm256_add_epi16(aw, _mm256_set1_epi16(254));
    const __m256i q = _mm256_srli_epi16(_mm256_mulhi_epu16(y, _mm256_set1_epi16(short(0x8081))), 7);
    const __m256i f = _mm256_sub_epi16(_mm256_set1_epi16(256), q);
    const __m256i sum =
        _mm256_adds_epu16(_mm256_adds_epu16(sw, _mm256_mullo_epi16(d, f)), _mm256_set1_epi16(128));
    return _mm256_srli_epi16(sum, 8);
}

// Opaque: (s w + d (256 - w) + 128) >> 8 = d + floor(((s - d) w + 128) / 256),
// which mulhrs gives with k = 128 w (w < 256; w = 256 is a plain copy).
__attribute__((target("avx2"))) inline __m256i BlendOpaque(__m256i s, __m256i d, __m256i k) {
    return _mm256_add_epi16(d, _mm256_mulhrs_epi16(_mm256_sub_epi16(s, d), k));
}

__attribute__((target("avx2"))) void CompositeRowAVX2(const std::uint8_t* src, std::uint8_t* dst, int count,
                                                      int weight) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i w = _mm256_set1_epi16(short(weight)), k = _mm256_set1_epi16(short(128 * (weight & 255)));
    const __m256i alpha = _mm256_set1_epi32(0xFF);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + 4 * i));
        const __m256i sl = _mm256_unpacklo_epi8(s, zero), sh = _mm256_unpackhi_epi8(s, zero);
        const __m256i dl = _mm256_unpacklo_epi8(d, zero), dh = _mm256_unpackhi_epi8(d, zero);
        const bool opaque =
            _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(s, alpha), alpha)) == -1;
        __m256i out;
        if (opaque && weight == 256)
            out = s;
        else if (opaque)
            out = _mm256_packus_epi16(BlendOpaque(sl, dl, k), BlendOpaque(sh, dh, k));
        else
            out = _mm256_packus_epi16(Blend(sl, dl, w), Blend(sh, dh, w));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * i), out);
    }
    CompositeRowSSE2(src + 4 * i, dst + 4 * i, count - i, weight);
}

std::vector<CompositeKernel> DetectKernels() {
    std::vector<CompositeKernel> kernels;
    if (SimdRuns(SimdLevel::Avx2)) kernels.push_back({"avx2", CompositeRowAVX2});
    if (SimdRuns(SimdLevel::Sse2)) kernels.push_back({"sse2", CompositeRowSSE2});
    return kernels;
}

}  // namespace
#else
namespace {
std::vector<CompositeKernel> DetectKernels() { return {}; }
}  // namespace
#endif

std::span<const CompositeKernel> CompositeKernels() {
    static const std::vector<CompositeKernel> kernels = DetectKernels();
    return kernels;
}

void CompositeRow(const std::uint8_t* src, std::uint8_t* dst, int count, int weight) {
    static const CompositeRowFn best =
        CompositeKernels().empty() ? CompositeRowReference : CompositeKernels().front().row;
    best(src, dst, count, weight);
}

}  // namespace mv
