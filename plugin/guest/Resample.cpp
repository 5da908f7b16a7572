#include "guest/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <numbers>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MV_X86 1
#endif

namespace mvguest {

namespace {

constexpr int kOne = 1 << kWeightBits;
constexpr int kLobes = 3;  // Lanczos-3: six taps a pixel where the region is enlarged
// The rows between the passes keep six bits below a byte (with the lobes'
// overshoot they stay within 16 bits), so the second pass rounds once.
constexpr int kRowBits = 6;
constexpr int kAcrossShift = kWeightBits - kRowBits;
constexpr int kDownShift = kWeightBits + kRowBits;

// The kernel at d, d + 1, ..., d + 5, from one sine and cosine:
// sin(pi (d + k)) = (-1)^k sin(pi d), and sin(pi (d + k) / 3) by the angle
// sum with k pi / 3.
void LanczosTaps(double d, double* out) {
    constexpr int window = 2 * kLobes;
    struct Steps {
        double cos[2 * kLobes], sin[2 * kLobes];
    };
    static const Steps steps = [] {
        Steps t{};
        for (int k = 0; k < 2 * kLobes; ++k) {
            t.cos[k] = std::cos(std::numbers::pi * k / kLobes);
            t.sin[k] = std::sin(std::numbers::pi * k / kLobes);
        }
        return t;
    }();
    const double a = std::numbers::pi * d, s = std::sin(a), s3 = std::sin(a / kLobes), c3 = std::cos(a / kLobes);
    for (int k = 0; k < window; ++k) {
        const double x = d + k;
        if (std::abs(x) < 1e-9) {
            out[k] = 1;
            continue;
        }
        if (std::abs(x) >= kLobes) {
            out[k] = 0;
            continue;
        }
        const double sinX3 = s3 * steps.cos[k] + c3 * steps.sin[k];
        const double px = std::numbers::pi * x;
        out[k] = kLobes * (k % 2 ? -s : s) * sinX3 / (px * px);
    }
}

}  // namespace

// Each output pixel's centre, in source pixels, weighs the source pixels
// within three of it (the zoom only ever enlarges, so the kernel keeps its
// width); taps past an edge fold onto the edge pixel, and the weights are
// made to sum to exactly one, the rounding's remainder on the largest, so
// flat areas stay flat.
Taps MakeTaps(double from, double to, int size) {
    Taps t;
    const double step = (to - from) / size;
    constexpr int window = 2 * kLobes;
    t.count = std::min(size, window);
    t.first.resize(size);
    t.weight.resize(static_cast<std::size_t>(size) * t.count);
    std::vector<double> w(t.count);
    for (int i = 0; i < size; ++i) {
        const double centre = from + (i + 0.5) * step - 0.5;
        const int lowest = static_cast<int>(std::floor(centre)) - kLobes + 1;
        const int first = std::clamp(lowest, 0, size - t.count);
        std::fill(w.begin(), w.end(), 0.0);
        double kernel[window], sum = 0;
        LanczosTaps(lowest - centre, kernel);
        for (int k = 0; k < window; ++k) {
            w[std::clamp(lowest + k, 0, size - 1) - first] += kernel[k];
            sum += kernel[k];
        }
        std::int16_t* q = &t.weight[static_cast<std::size_t>(i) * t.count];
        int total = 0, largest = 0;
        for (int k = 0; k < t.count; ++k) {
            q[k] = static_cast<std::int16_t>(std::lround(w[k] / sum * kOne));
            total += q[k];
            if (std::abs(q[k]) > std::abs(q[largest])) largest = k;
        }
        q[largest] = static_cast<std::int16_t>(q[largest] + kOne - total);
        t.first[i] = first;
    }
    return t;
}

namespace {

// Across: a source row filtered to the output's width, four channels a pixel.
void AcrossPlain(const Taps& t, const std::uint8_t* src, std::int16_t* dst, int from, int to) {
    for (int x = from; x < to; ++x) {
        const std::uint8_t* p = src + static_cast<std::ptrdiff_t>(t.first[x]) * 4;
        const std::int16_t* w = &t.weight[static_cast<std::size_t>(x) * t.count];
        for (int c = 0; c < 4; ++c) {
            std::int32_t acc = 1 << (kAcrossShift - 1);
            for (int k = 0; k < t.count; ++k) acc += w[k] * p[k * 4 + c];
            dst[x * 4 + c] = static_cast<std::int16_t>(acc >> kAcrossShift);
        }
    }
}

// Down: `count` filtered rows weighed into an output row of bytes.
void DownPlain(const std::int16_t* w, int count, const std::int16_t* const* rows, std::size_t from, std::size_t to,
               std::uint8_t* dst) {
    for (std::size_t i = from; i < to; ++i) {
        std::int32_t acc = 1 << (kDownShift - 1);
        for (int k = 0; k < count; ++k) acc += w[k] * rows[k][i];
        dst[i] = static_cast<std::uint8_t>(std::clamp(acc >> kDownShift, 0, 255));
    }
}

#ifdef MV_X86
// SSE2, six taps a pixel: two neighbours' bytes interleaved channel by
// channel, so that each multiply-add weighs a pair of taps of one channel.
__attribute__((target("sse2"))) void AcrossSse2(const Taps& t, const std::int16_t* pairs, const std::uint8_t* src,
                                                std::int16_t* dst, int width) {
    const __m128i zero = _mm_setzero_si128(), round = _mm_set1_epi32(1 << (kAcrossShift - 1));
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = src + static_cast<std::ptrdiff_t>(t.first[x]) * 4;
        const auto* w = reinterpret_cast<const __m128i*>(pairs + static_cast<std::ptrdiff_t>(x) * 24);
        __m128i acc = round;
        for (int pair = 0; pair < 3; ++pair) {
            const __m128i two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + pair * 8));
            const __m128i mixed = _mm_unpacklo_epi8(_mm_unpacklo_epi8(two, _mm_srli_si128(two, 4)), zero);
            acc = _mm_add_epi32(acc, _mm_madd_epi16(mixed, _mm_loadu_si128(w + pair)));
        }
        acc = _mm_srai_epi32(acc, kAcrossShift);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + x * 4), _mm_packs_epi32(acc, acc));
    }
}

// The rows down a column taken a pair at a time, each pair's two weights in
// one 32-bit word as _mm_madd_epi16 takes them; an odd row last pairs with
// itself at no weight. Held in locals, not read again through pointers the
// byte stores might alias.
struct RowPairs {
    int count;
    std::int32_t weights[kLobes];
    const std::int16_t* a[kLobes];
    const std::int16_t* b[kLobes];
};

RowPairs PairRows(const std::int16_t* w, int count, const std::int16_t* const* rows) {
    RowPairs p{(count + 1) / 2, {}, {}, {}};
    for (int j = 0; j < p.count; ++j) {
        const int k = 2 * j;
        const bool pair = k + 1 < count;
        p.weights[j] = static_cast<std::int32_t>((static_cast<std::uint32_t>(pair ? w[k + 1] : 0) << 16) |
                                                 static_cast<std::uint16_t>(w[k]));
        p.a[j] = rows[k];
        p.b[j] = pair ? rows[k + 1] : rows[k];
    }
    return p;
}

// Down, a pair of rows at a time.
__attribute__((target("sse2"))) void DownSse2(const std::int16_t* w, int count, const std::int16_t* const* rows,
                                              std::size_t n, std::uint8_t* dst) {
    const RowPairs p = PairRows(w, count, rows);
    __m128i weights[kLobes];
    for (int j = 0; j < p.count; ++j) weights[j] = _mm_set1_epi32(p.weights[j]);
    const __m128i round = _mm_set1_epi32(1 << (kDownShift - 1));
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        __m128i lo = round, hi = round;
        for (int j = 0; j < p.count; ++j) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p.a[j] + i));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p.b[j] + i));
            lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(x, y), weights[j]));
            hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(x, y), weights[j]));
        }
        const __m128i words = _mm_packs_epi32(_mm_srai_epi32(lo, kDownShift), _mm_srai_epi32(hi, kDownShift));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(words, words));
    }
    DownPlain(w, count, rows, i, n, dst);
}

__attribute__((target("avx2"))) void DownAvx2(const std::int16_t* w, int count, const std::int16_t* const* rows,
                                              std::size_t n, std::uint8_t* dst) {
    const RowPairs p = PairRows(w, count, rows);
    __m256i weights[kLobes];
    for (int j = 0; j < p.count; ++j) weights[j] = _mm256_set1_epi32(p.weights[j]);
    const __m256i round = _mm256_set1_epi32(1 << (kDownShift - 1));
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m256i lo = round, hi = round;
        for (int j = 0; j < p.count; ++j) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.a[j] + i));
            const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.b[j] + i));
            lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(x, y), weights[j]));
            hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(x, y), weights[j]));
        }
        // Per 128-bit lane: lo holds elements 0-3 (8-11), hi 4-7 (12-15).
        const __m256i words =
            _mm256_packs_epi32(_mm256_srai_epi32(lo, kDownShift), _mm256_srai_epi32(hi, kDownShift));
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(words, words), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm256_castsi256_si128(bytes));
    }
    DownPlain(w, count, rows, i, n, dst);
}

#endif

// The six taps' weights in pairs, each pair four times over, as AcrossSse2 reads them.
std::vector<std::int16_t> WeightPairs(const Taps& t) {
    std::vector<std::int16_t> pairs(t.first.size() * 24);
    for (std::size_t x = 0; x < t.first.size(); ++x)
        for (int pair = 0; pair < 3; ++pair)
            for (int c = 0; c < 4; ++c) {
                pairs[x * 24 + pair * 8 + c * 2] = t.weight[x * 6 + pair * 2];
                pairs[x * 24 + pair * 8 + c * 2 + 1] = t.weight[x * 6 + pair * 2 + 1];
            }
    return pairs;
}

bool SameRegion(RegionF region, int width, int height) {
    return region.left == 0 && region.top == 0 && region.right == width && region.bottom == height;
}

void Resample(const std::uint32_t* in, std::uint32_t* out, int width, int height, std::ptrdiff_t stride,
              RegionF region, mv::SimdLevel level) {
    const Taps across = MakeTaps(region.left, region.right, width);
    const Taps down = MakeTaps(region.top, region.bottom, height);
    const bool vectors = level != mv::SimdLevel::Plain && across.count == 6;
    const std::vector<std::int16_t> pairs = vectors ? WeightPairs(across) : std::vector<std::int16_t>{};
    // The filtered rows a window of down.count slides over, each source row
    // filtered once: row r lives in slot r % count.
    const std::size_t rowWidth = static_cast<std::size_t>(width) * 4;
    std::vector<std::int16_t> ring(rowWidth * down.count);
    std::vector<const std::int16_t*> rows(down.count);
    int next = 0;
    for (int y = 0; y < height; ++y) {
        const int first = down.first[y];
        for (next = std::max(next, first); next < first + down.count; ++next) {
            const auto* src = reinterpret_cast<const std::uint8_t*>(in + next * stride);
            std::int16_t* slot = &ring[rowWidth * (next % down.count)];
#ifdef MV_X86
            if (vectors) {
                AcrossSse2(across, pairs.data(), src, slot, width);
                continue;
            }
#endif
            AcrossPlain(across, src, slot, 0, width);
        }
        for (int k = 0; k < down.count; ++k) rows[k] = &ring[rowWidth * ((first + k) % down.count)];
        const std::int16_t* w = &down.weight[static_cast<std::size_t>(y) * down.count];
        auto* dst = reinterpret_cast<std::uint8_t*>(out + y * stride);
#ifdef MV_X86
        if (level == mv::SimdLevel::Avx2) {
            DownAvx2(w, down.count, rows.data(), rowWidth, dst);
            continue;
        }
        if (level == mv::SimdLevel::Sse2) {
            DownSse2(w, down.count, rows.data(), rowWidth, dst);
            continue;
        }
#endif
        DownPlain(w, down.count, rows.data(), 0, rowWidth, dst);
    }
}

}  // namespace

bool ResampleRegion(const std::uint32_t* in, std::uint32_t* out, int width, int height, std::ptrdiff_t stride,
                    RegionF region, mv::SimdLevel level) {
    auto within = [](double v, int size) { return std::clamp(v, 0.0, double(size)); };  // NaN stays NaN
    region = RegionF{within(region.left, width), within(region.right, width), within(region.top, height),
                     within(region.bottom, height)};
    if (!mv::SimdRuns(level)) level = mv::SimdLevel::Plain;
    const bool empty = !(region.right > region.left && region.bottom > region.top);
    if (empty || SameRegion(region, width, height)) {
        for (int y = 0; y < height; ++y) std::memcpy(out + y * stride, in + y * stride, std::size_t{4} * width);
        return true;
    }
    try {
        Resample(in, out, width, height, stride, region, level);
        return true;
    } catch (const std::exception&) {  // its taps and rows could not be had
        return false;
    }
}

}  // namespace mvguest
