// Conversions between planar Y'CbCr and 32-bit A, R, G, B pixels for any of
// the common matrices and both ranges, within rounding of exact arithmetic
// (libyuv holds some coefficients in 6 bits, a few levels off for BT.709 and
// BT.2020). Each kernel has a plain path for every format and vector paths
// (SSE2, AVX2) where chroma is halved across, 4:2:0 and 4:2:2 at any depth;
// the plain path is the reference the vector ones are held to, bit for bit.
//
// Chroma is taken from the nearest sample on decoding (as libyuv does) and
// averaged over each 2x2 block on encoding.
#pragma once

#include <cstdint>

#include "frames/ArgbImage.h"
#include "system/Simd.h"

namespace mv {

// Fixed-point coefficients of one matrix, range and source depth. The
// arithmetic is 16-bit throughout, as vector lanes hold it: each term is a
// sample shifted to fill 15 bits times a coefficient, its high half taken,
// which leaves the term in 32nds of a level; three terms, each at most a
// 32nd short, keep the sum within a tenth of a level of the exact one.
struct YuvMatrix {
    // Decoding: R = ((Y - yOffset) << yShift) * y >> 16 + ((V - cOffset) << cShift) * rV >> 16, ...
    int yOffset = 0, cOffset = 0;
    int yShift = 0, cShift = 0;
    int y = 0, rV = 0, gU = 0, gV = 0, bU = 0;
    // Encoding from 8-bit R, G, B: Y = yBase + (R << 8) * ry >> 16 + ...
    // (unsigned), and each chroma sample from its 2x2 block's sums,
    // (sum << 5) * ru >> 16 + ... (signed).
    int yBase = 0;
    int ry = 0, gy = 0, by = 0;
    int ru = 0, gu = 0, bu = 0;
    int rv = 0, gv = 0, bv = 0;
};

// The deepest samples the kernels take; deeper ones go to libswscale.
inline constexpr int kYuvKernelDepth = 14;

// The coefficients for a matrix's luma weights kr and kb, its range, and
// `depth` bits per source sample (8 to kYuvKernelDepth).
YuvMatrix yuvMatrix(double kr, double kb, bool fullRange, int depth);

// A planar Y'CbCr picture: 8-bit samples, or 16-bit ones holding `depth` bits.
struct YuvPicture {
    const std::uint8_t* data[3] = {};
    int stride[3] = {};
    int width = 0, height = 0;
    int depth = 8;
    int chromaShiftX = 1, chromaShiftY = 1;  // 4:2:0
};

// The vector instructions a kernel may use: the best this processor has by
// default (one it lacks falls back to the plain path, the reference the
// others are held to, bit for bit), chosen once a call.
// The picture as A, R, G, B (alpha 255), same size.
void yuvToArgb(const YuvPicture& src, const YuvMatrix& m, ArgbView dst, SimdLevel level = BestSimdLevel());

// A, R, G, B to 8-bit 4:2:0 planes of the same size.
void argbToYuv420(ArgbView src, const YuvMatrix& m, std::uint8_t* const planes[3], const int strides[3],
                  SimdLevel level = BestSimdLevel());

}  // namespace mv
