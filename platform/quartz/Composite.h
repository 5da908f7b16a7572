// Source-over compositing of premultiplied A, R, G, B rows under a global
// opacity. weight is the opacity in 256ths; per channel
//   out = (s w + d f + 128) >> 8, f = 256 - ceil(sa w / 255),
// which is opacity x source + (1 - opacity x source alpha) x destination
// with one rounding, exact at opacity 0 and 1.
#pragma once

#include <cstdint>
#include <span>

namespace mv {

int OpacityWeight(float alpha);

using CompositeRowFn = void (*)(const std::uint8_t* src, std::uint8_t* dst, int count, int weight);

void CompositeRowReference(const std::uint8_t* src, std::uint8_t* dst, int count, int weight);

struct CompositeKernel {
    const char* name;
    CompositeRowFn row;
};
// The vector kernels this processor runs, fastest first; each gives the
// reference's results.
std::span<const CompositeKernel> CompositeKernels();

// The fastest kernel available.
void CompositeRow(const std::uint8_t* src, std::uint8_t* dst, int count, int weight);

}  // namespace mv
