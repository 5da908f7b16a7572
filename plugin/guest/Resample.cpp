#include "guest/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <pixman.h>

namespace mvguest {

namespace {

constexpr int kOne = 1 << kWeightBits;
// The first pass keeps six bits below a byte, so the second rounds once.
constexpr int kRowBits = 6;

void Add(Taps& t, int index, double weight, int size) {
    t.first.push_back(std::clamp(index, 0, size - 1));
    t.count.push_back(1);
    t.offset.push_back(static_cast<std::int32_t>(t.weight.size()));
    t.weight.push_back(static_cast<std::int16_t>(std::lround(weight * kOne)));
}

// Enlarging: the two pixels either side of the output pixel's centre; a
// centre beyond the edge takes the edge pixel.
void Bilinear(Taps& t, double from, double step, int size) {
    for (int i = 0; i < size; ++i) {
        const double centre = std::clamp(from + (i + 0.5) * step - 0.5, 0.0, size - 1.0);
        const int left = std::min(static_cast<int>(centre), std::max(0, size - 2));
        const auto right = static_cast<std::int16_t>(std::lround((centre - left) * kOne));
        t.first.push_back(left);
        t.offset.push_back(static_cast<std::int32_t>(t.weight.size()));
        if (size == 1) {
            t.count.push_back(1);
            t.weight.push_back(kOne);
            continue;
        }
        t.count.push_back(2);
        t.weight.push_back(static_cast<std::int16_t>(kOne - right));
        t.weight.push_back(right);
    }
}

// Shrinking: every pixel the output pixel's span covers, by how much of it.
void Area(Taps& t, double from, double step, int size) {
    for (int i = 0; i < size; ++i) {
        const double a = from + i * step, b = a + step;
        const int first = std::max(0, static_cast<int>(std::floor(a)));
        const int last = std::min(size - 1, static_cast<int>(std::ceil(b)) - 1);
        if (last < first) {
            Add(t, first, 1.0, size);
            continue;
        }
        t.first.push_back(first);
        t.count.push_back(last - first + 1);
        t.offset.push_back(static_cast<std::int32_t>(t.weight.size()));
        int sum = 0;
        std::size_t largest = t.weight.size();
        for (int j = first; j <= last; ++j) {
            const double cover = std::min<double>(b, j + 1) - std::max<double>(a, j);
            const auto w = static_cast<std::int16_t>(std::lround(cover / step * kOne));
            if (j == first || w > t.weight[largest]) largest = t.weight.size();
            t.weight.push_back(w);
            sum += w;
        }
        t.weight[largest] = static_cast<std::int16_t>(t.weight[largest] + kOne - sum);  // weights sum to one
    }
}

}  // namespace

Taps MakeTaps(double from, double to, int size) {
    Taps t;
    t.first.reserve(size);
    t.count.reserve(size);
    t.offset.reserve(size);
    const double step = (to - from) / size;
    if (step <= 1.0)
        Bilinear(t, from, step, size);
    else
        Area(t, from, step, size);
    return t;
}

namespace {

// The general path: any number of taps a pixel.
void Across(const Taps& across, const std::uint8_t* src, std::uint16_t* dst, int width) {
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = src + static_cast<std::ptrdiff_t>(across.first[x]) * 4;
        const std::int16_t* w = across.weight.data() + across.offset[x];
        std::int32_t acc[4] = {0, 0, 0, 0};
        for (int k = 0; k < across.count[x]; ++k, p += 4)
            for (int c = 0; c < 4; ++c) acc[c] += w[k] * p[c];
        for (int c = 0; c < 4; ++c)
            dst[x * 4 + c] =
                static_cast<std::uint16_t>((acc[c] + (1 << (kWeightBits - kRowBits - 1))) >> (kWeightBits - kRowBits));
    }
}

void Down(const std::int16_t* w, int count, const std::uint16_t* src, std::size_t rowWidth, std::uint8_t* dst) {
    constexpr int shift = kWeightBits + kRowBits;
    for (std::size_t i = 0; i < rowWidth; ++i) {
        std::int32_t acc = 1 << (shift - 1);
        for (int k = 0; k < count; ++k) acc += w[k] * src[rowWidth * k + i];
        dst[i] = static_cast<std::uint8_t>(std::min(acc >> shift, 255));
    }
}

}  // namespace

void ResampleRegionReference(const std::uint32_t* in, std::uint32_t* out, int width, int height,
                             std::ptrdiff_t stride, RegionF region) {
    const Taps across = MakeTaps(region.left, region.right, width);
    const Taps down = MakeTaps(region.top, region.bottom, height);
    const int top = down.first.front();
    const int bottom = down.first.back() + down.count.back();  // the taps move down only
    const std::size_t rowWidth = static_cast<std::size_t>(width) * 4;
    std::vector<std::uint16_t> rows(rowWidth * static_cast<std::size_t>(bottom - top));
    // Across: each source row the output needs, filtered to the output's width.
    for (int y = top; y < bottom; ++y)
        Across(across, reinterpret_cast<const std::uint8_t*>(in + y * stride), rows.data() + rowWidth * (y - top), width);
    // Down: the filtered rows combined into each output row.
    for (int y = 0; y < height; ++y)
        Down(down.weight.data() + down.offset[y], down.count[y], rows.data() + rowWidth * (down.first[y] - top), rowWidth,
             reinterpret_cast<std::uint8_t*>(out + y * stride));
}

// pixman's sampling: where the region is enlarged, its bilinear filter;
// where it is shrunk on either axis, a separable box filter over the covered
// pixels. Edges are held (pad) as the reference holds them.
bool ResampleRegion(const std::uint32_t* in, std::uint32_t* out, int width, int height, std::ptrdiff_t stride,
                    RegionF region) {
    const auto bytes = static_cast<int>(stride * 4);
    pixman_image_t* src = pixman_image_create_bits_no_clear(PIXMAN_a8r8g8b8, width, height,
                                                            const_cast<std::uint32_t*>(in), bytes);
    pixman_image_t* dst = pixman_image_create_bits_no_clear(PIXMAN_a8r8g8b8, width, height, out, bytes);
    if (!src || !dst) {
        if (src) pixman_image_unref(src);
        if (dst) pixman_image_unref(dst);
        return false;
    }
    const double sx = (region.right - region.left) / width, sy = (region.bottom - region.top) / height;
    pixman_transform_t transform;
    pixman_transform_init_identity(&transform);
    transform.matrix[0][0] = pixman_double_to_fixed(sx);
    transform.matrix[1][1] = pixman_double_to_fixed(sy);
    transform.matrix[0][2] = pixman_double_to_fixed(region.left);
    transform.matrix[1][2] = pixman_double_to_fixed(region.top);
    pixman_image_set_transform(src, &transform);
    pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
    if (sx <= 1 && sy <= 1) {
        pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    } else {
        int count = 0;
        pixman_fixed_t* params = pixman_filter_create_separable_convolution(
            &count, pixman_double_to_fixed(std::max(sx, 1.0)), pixman_double_to_fixed(std::max(sy, 1.0)),
            PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 4, 4);
        const bool set = params && pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, count);
        std::free(params);
        if (!set) {
            pixman_image_unref(src);
            pixman_image_unref(dst);
            return false;
        }
    }
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, width, height);
    pixman_image_unref(src);
    pixman_image_unref(dst);
    return true;
}

}  // namespace mvguest
