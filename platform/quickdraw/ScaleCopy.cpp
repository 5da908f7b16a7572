#include "quickdraw/ScaleCopy.h"

#include "system/Simd.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MV_X86 1
#endif

namespace mv {
namespace {

std::int64_t Sample(int crop0, int cropLen, int d, int destLen) {
    return crop0 + (2 * std::int64_t{d} + 1) * cropLen / (2 * std::int64_t{destLen});
}

bool Empty(const ScaleJob& job) {
    return job.cropW <= 0 || job.cropH <= 0 || job.destW <= 0 || job.destH <= 0;
}

// The destination offsets (within the destination rectangle) that land in
// the destination and sample inside the source: one interval, because the
// sample grows with the offset.
struct Span {
    int first = 0;
    int count = 0;
};

Span ValidSpan(int crop0, int cropLen, int dest0, int destLen, int srcLen, int dstLen) {
    Span span;
    const int lo = std::max(0, -dest0);
    const int hi = std::min(destLen, dstLen - dest0);
    int d = lo;
    while (d < hi && Sample(crop0, cropLen, d, destLen) < 0) ++d;
    span.first = d;
    while (d < hi && Sample(crop0, cropLen, d, destLen) < srcLen) ++d;
    span.count = d - span.first;
    return span;
}

std::uint8_t* DstPixel(const ScaleJob& job, int x, int y) {
    return job.dst + y * job.dstRowBytes + std::ptrdiff_t{x} * 4;
}

const std::uint8_t* SrcPixel(const ScaleJob& job, std::int64_t x, std::int64_t y) {
    return job.src + static_cast<std::ptrdiff_t>(y) * job.srcRowBytes +
           static_cast<std::ptrdiff_t>(x) * 4;
}

// One destination row from a column table; `readable` is how many source
// pixels the row holds from srcRow on (the plain row reads only those it is told).
using GatherRowFn = void (*)(const std::uint8_t* srcRow, const std::int32_t* columns, int count, int readable,
                             std::uint8_t* dstRow);

void GatherRowPlain(const std::uint8_t* srcRow, const std::int32_t* columns, int count, int,
                    std::uint8_t* dstRow) {
    for (int i = 0; i < count; ++i) std::memcpy(dstRow + 4 * i, srcRow + 4 * columns[i], 4);
}

#if MV_X86
// An enlargement (or a slight reduction) takes any 8 destination pixels from
// within 8 source pixels: one load and one permute instead of 8 moves.
__attribute__((target("avx2"))) void GatherRowAVX2(const std::uint8_t* srcRow, const std::int32_t* columns,
                                                   int count, int readable, std::uint8_t* dstRow) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const int base = columns[i];
        if (columns[i + 7] - base >= 8 || base + 8 > readable) {
            GatherRowPlain(srcRow, columns + i, 8, readable, dstRow + 4 * i);
            continue;
        }
        const __m256i at = _mm256_sub_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns + i)),
                                            _mm256_set1_epi32(base));
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(srcRow + 4 * base));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dstRow + 4 * i), _mm256_permutevar8x32_epi32(pixels, at));
    }
    GatherRowPlain(srcRow, columns + i, count - i, readable, dstRow + 4 * i);
}

GatherRowFn BestGatherRow() { return SimdRuns(SimdLevel::Avx2) ? GatherRowAVX2 : GatherRowPlain; }
#else
GatherRowFn BestGatherRow() { return GatherRowPlain; }
#endif

}  // namespace

void ScaleCopyReference(const ScaleJob& job) {
    if (Empty(job)) return;
    for (int dy = 0; dy < job.destH; ++dy) {
        const int ty = job.destY + dy;
        const std::int64_t sy = Sample(job.cropY, job.cropH, dy, job.destH);
        if (ty < 0 || ty >= job.dstHeight || sy < 0 || sy >= job.srcHeight) continue;
        for (int dx = 0; dx < job.destW; ++dx) {
            const int tx = job.destX + dx;
            const std::int64_t sx = Sample(job.cropX, job.cropW, dx, job.destW);
            if (tx < 0 || tx >= job.dstWidth || sx < 0 || sx >= job.srcWidth) continue;
            std::memcpy(DstPixel(job, tx, ty), SrcPixel(job, sx, sy), 4);
        }
    }
}

void ScaleCopy(const ScaleJob& job) {
    if (Empty(job)) return;
    const Span xs = ValidSpan(job.cropX, job.cropW, job.destX, job.destW, job.srcWidth, job.dstWidth);
    const Span ys = ValidSpan(job.cropY, job.cropH, job.destY, job.destH, job.srcHeight, job.dstHeight);
    if (xs.count == 0 || ys.count == 0) return;

    const bool sameWidth = job.cropW == job.destW;
    const std::size_t rowLen = std::size_t(xs.count) * 4;
    const std::int64_t firstColumn = Sample(job.cropX, job.cropW, xs.first, job.destW);

    // Reused between calls: the table is rebuilt per copy, its memory is not.
    thread_local std::vector<std::int32_t> columns;
    if (!sameWidth) {
        columns.resize(std::size_t(xs.count));
        for (int i = 0; i < xs.count; ++i)
            columns[std::size_t(i)] =
                static_cast<std::int32_t>(Sample(job.cropX, job.cropW, xs.first + i, job.destW) - firstColumn);
    }

    static const GatherRowFn gatherRow = BestGatherRow();
    const int readable = static_cast<int>(job.srcWidth - firstColumn);
    const std::uint8_t* previous = nullptr;
    std::int64_t previousSy = -1;
    for (int j = 0; j < ys.count; ++j) {
        const int dy = ys.first + j;
        const std::int64_t sy = Sample(job.cropY, job.cropH, dy, job.destH);
        std::uint8_t* dstRow = DstPixel(job, job.destX + xs.first, job.destY + dy);
        const std::uint8_t* srcRow = SrcPixel(job, firstColumn, sy);
        if (previous && sy == previousSy)
            std::memcpy(dstRow, previous, rowLen);
        else if (sameWidth)
            std::memmove(dstRow, srcRow, rowLen);
        else
            gatherRow(srcRow, columns.data(), xs.count, readable, dstRow);
        previous = dstRow;
        previousSy = sy;
    }
}

}  // namespace mv
