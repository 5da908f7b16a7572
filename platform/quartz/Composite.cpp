#include "quartz/Composite.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
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

#ifdef __SSE2__
namespace {

// Two pixels widened to 16-bit lanes: A R G B A R G B.
inline __m128i CompositeTwo(__m128i s, __m128i d, __m128i w) {
    const __m128i sw = _mm_mullo_epi16(s, w);
    const __m128i aw = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sw, 0), 0);
    // ceil(x / 255) = floor((x + 254) / 255); floor(y / 255) = (y * 0x8081) >> 23.
    const __m128i y = _mm_add_epi16(aw, _mm_set1_epi16(254));
    const __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(y, _mm_set1_epi16(short(0x8081))), 7);
    const __m128i f = _mm_sub_epi16(_mm_set1_epi16(256), q);
    // Saturating sums match the reference's clamp for pixels that are not
    // properly premultiplied.
    __m128i sum = _mm_adds_epu16(sw, _mm_mullo_epi16(d, f));
    sum = _mm_adds_epu16(sum, _mm_set1_epi16(128));
    return _mm_srli_epi16(sum, 8);
}

}  // namespace

void CompositeRow(const std::uint8_t* src, std::uint8_t* dst, int count, int weight) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i w = _mm_set1_epi16(static_cast<short>(weight));
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + 4 * i));
        const __m128i lo = CompositeTwo(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), w);
        const __m128i hi = CompositeTwo(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), w);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * i), _mm_packus_epi16(lo, hi));
    }
    CompositeRowReference(src + 4 * i, dst + 4 * i, count - i, weight);
}
#else
void CompositeRow(const std::uint8_t* src, std::uint8_t* dst, int count, int weight) {
    CompositeRowReference(src, dst, count, weight);
}
#endif

}  // namespace mv
