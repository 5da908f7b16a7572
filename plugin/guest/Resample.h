// The smooth zoom's sampler: a region of a 32-bit image, given to a fraction
// of a pixel, scaled over the whole of another image of the same size by a
// separable Lanczos-3 filter in fixed point. The four bytes of a pixel are
// filtered alike, whatever their order; results are held to 0..255. A
// region that is the whole frame gives the frame back unchanged, and so
// does one of no area (as the exact render draws nothing for it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "system/Simd.h"

namespace mvguest {

// A region in pixels: left <= right within 0..width, top <= bottom within 0..height.
struct RegionF {
    double left, right, top, bottom;
};

// Which source pixels make one output pixel along an axis, and how much
// each: `count` consecutive pixels from `first[i]`, weights summing to
// 1 << kWeightBits. Taps past an edge fall on the edge pixel.
struct Taps {
    int count = 0;
    std::vector<std::int32_t> first;
    std::vector<std::int16_t> weight;  // count per output pixel
};

inline constexpr int kWeightBits = 14;

// The taps for `size` output pixels covering [from, to), within 0..size,
// of a `size`-pixel axis.
Taps MakeTaps(double from, double to, int size);

// Renders `region` of `in` (held to the frame) over the whole of `out`
// (both width x height, rows of `stride` 32-bit pixels, `in` and `out`
// apart); false, with `out` untouched, where its taps and rows cannot be had
// (no memory).
bool ResampleRegion(const std::uint32_t* in, std::uint32_t* out, int width, int height, std::ptrdiff_t stride,
                    RegionF region, mv::SimdLevel level = mv::BestSimdLevel());

}  // namespace mvguest
