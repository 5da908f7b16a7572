// Pixel storage for offscreen worlds and images. Blocks freed here are kept
// for reuse by the next request of the same size, so a frame-sized buffer
// made and disposed every frame costs no fresh pages.
#pragma once

#include <cstddef>

namespace mv {

inline constexpr std::size_t kPixelAlign = 64;

// Row bytes for a row of width 32-bit pixels, rounded up for vector access.
std::size_t PixelRowBytes(std::size_t width);

// Null when the memory is not there. The contents are undefined; kPixelAlign
// bytes past the end may be written too.
void* AcquirePixels(std::size_t bytes);
void ReleasePixels(void* pixels, std::size_t bytes);

}  // namespace mv
