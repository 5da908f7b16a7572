// A view of 32-bit pixels in memory order A, R, G, B (FFmpeg's "argb"), the
// layout of the platform's offscreen worlds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mv {

struct ArgbView {
    std::uint8_t* data = nullptr;
    int rowBytes = 0;
    int width = 0;
    int height = 0;

    std::uint8_t* row(int y) const { return data + static_cast<std::ptrdiff_t>(y) * rowBytes; }
};

// An owned image, for pictures the host makes itself (thumbnails, sheets).
struct ArgbImage {
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;

    ArgbImage() = default;
    ArgbImage(int w, int h) : pixels(static_cast<std::size_t>(w) * h * 4), width(w), height(h) {}
    ArgbView view() { return {pixels.data(), width * 4, width, height}; }
};

// How many frames a queue between two threads holds: three (one in use, two
// in flight) for ordinary sizes, two for very large frames, where memory
// matters more than smoothing out the odd slow frame.
inline int framesInFlight(int width, int height) {
    constexpr long kLargeFrameBytes = 16L << 20;
    return static_cast<long>(width) * height * 4 > kLargeFrameBytes ? 2 : 3;
}

}  // namespace mv
