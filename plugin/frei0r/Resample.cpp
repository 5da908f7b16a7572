#include "frei0r/Resample.h"

#include <algorithm>
#include <cmath>

namespace mvfrei0r {

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

// The fast path for two taps (enlarging, the zoom's only case): the same
// sums, in loops the compiler can keep in registers and vectorise.
void Across2(const Taps& across, const std::uint8_t* src, std::uint16_t* dst, int width) {
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = src + static_cast<std::ptrdiff_t>(across.first[x]) * 4;
        const std::int32_t w0 = across.weight[2 * x], w1 = across.weight[2 * x + 1];
        for (int c = 0; c < 4; ++c)
            dst[x * 4 + c] = static_cast<std::uint16_t>((w0 * p[c] + w1 * p[c + 4] + (1 << (kWeightBits - kRowBits - 1))) >>
                                                        (kWeightBits - kRowBits));
    }
}

void Down2(const std::int16_t* w, const std::uint16_t* src, std::size_t rowWidth, std::uint8_t* dst) {
    constexpr int shift = kWeightBits + kRowBits;
    const std::int32_t w0 = w[0], w1 = w[1];
    const std::uint16_t* next = src + rowWidth;
    for (std::size_t i = 0; i < rowWidth; ++i)
        dst[i] = static_cast<std::uint8_t>(std::min((w0 * src[i] + w1 * next[i] + (1 << (shift - 1))) >> shift, 255));
}

bool AllTwo(const Taps& t) {
    return std::all_of(t.count.begin(), t.count.end(), [](std::int32_t n) { return n == 2; });
}

}  // namespace

void ResampleRegion(const std::uint32_t* in, std::uint32_t* out, int width, int height, std::ptrdiff_t stride,
                    RegionF region, std::vector<std::uint16_t>& rows, bool fast) {
    const Taps across = MakeTaps(region.left, region.right, width);
    const Taps down = MakeTaps(region.top, region.bottom, height);
    const int top = down.first.front();
    const int bottom = down.first.back() + down.count.back();  // the taps move down only
    const std::size_t rowWidth = static_cast<std::size_t>(width) * 4;
    rows.resize(rowWidth * static_cast<std::size_t>(bottom - top));

    // Across: each source row the output needs, filtered to the output's width.
    const bool across2 = fast && AllTwo(across);
    for (int y = top; y < bottom; ++y) {
        const auto* src = reinterpret_cast<const std::uint8_t*>(in + y * stride);
        std::uint16_t* dst = rows.data() + rowWidth * (y - top);
        if (across2)
            Across2(across, src, dst, width);
        else
            Across(across, src, dst, width);
    }
    // Down: the filtered rows combined into each output row.
    const bool down2 = fast && AllTwo(down);
    for (int y = 0; y < height; ++y) {
        const std::int16_t* w = down.weight.data() + down.offset[y];
        const std::uint16_t* src = rows.data() + rowWidth * (down.first[y] - top);
        auto* dst = reinterpret_cast<std::uint8_t*>(out + y * stride);
        if (down2)
            Down2(w, src, rowWidth, dst);
        else
            Down(w, down.count[y], src, rowWidth, dst);
    }
}

}  // namespace mvfrei0r
