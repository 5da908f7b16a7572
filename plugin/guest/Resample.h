// The smooth zoom's sampler: a region of a 32-bit image given to a fraction
// of a pixel, scaled over the whole of another image of the same size, with
// bilinear filtering where it is enlarged and an area filter where it is
// shrunk. The four bytes of a pixel are filtered alike, whatever their order.
// The zoom's crop lies within the frame, so the filter itself only ever
// enlarges; shrinking serves a region a caller gives larger than the frame.
#pragma once

#include <cstdint>
#include <vector>

namespace mvguest {

// A region in pixels: left <= right within 0..width, top <= bottom within 0..height.
struct RegionF {
    double left, right, top, bottom;
};

// Which source pixels make one output pixel along an axis, and how much each.
struct Taps {
    std::vector<std::int32_t> first;   // per output pixel: the first source pixel
    std::vector<std::int32_t> count;   // per output pixel: how many follow
    std::vector<std::int16_t> weight;  // per output pixel: count weights of kOne in all
    std::vector<std::int32_t> offset;  // per output pixel: where its weights start
};

inline constexpr int kWeightBits = 14;

// The taps for `size` output pixels covering [from, to) of a `size`-pixel axis.
Taps MakeTaps(double from, double to, int size);

// Renders `region` of `in` over the whole of `out` (both width x height,
// rows of `stride` 32-bit pixels), by pixman; false, with `out` untouched,
// when pixman cannot make what it needs (no memory).
bool ResampleRegion(const std::uint32_t* in, std::uint32_t* out, int width, int height, std::ptrdiff_t stride,
                    RegionF region);
// The same by the taps above, in plain loops at 14-bit weights: the
// reference pixman's 7-bit interpolation is held to.
void ResampleRegionReference(const std::uint32_t* in, std::uint32_t* out, int width, int height,
                             std::ptrdiff_t stride, RegionF region);

}  // namespace mvguest
