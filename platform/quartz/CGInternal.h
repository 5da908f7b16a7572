// The records behind the image, context and colour space references.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "quartz/CoreGraphics.h"

struct CGColorSpace {
    std::atomic<int> refs;
};

struct CGImage {
    std::atomic<int> refs;
    std::size_t width, height, rowBytes, bytes;
    std::uint8_t* pixels;  // from the pixel store, never written after creation
};

struct MVGState {
    CGAffineTransform ctm;
    CGFloat alpha;
    CGBlendMode blendMode;
};

struct CGContext {
    std::atomic<int> refs;
    std::uint8_t* data;
    std::size_t width, height, rowBytes;
    CGColorSpaceRef space;
    MVGState state;
    std::vector<MVGState> saved;
    CGrafPtr port;  // the port of a context from QDBeginCGContext
};

// A new image holding a copy of height rows of width pixels; null when the
// memory is not there.
CGImageRef MVCreateImageFromRows(const std::uint8_t* rows, std::size_t rowBytes,
                                 std::size_t width, std::size_t height);
