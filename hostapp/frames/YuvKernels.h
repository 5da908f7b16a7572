// Conversions between planar Y'CbCr and 32-bit A, R, G, B pixels for any of
// the common matrices and both ranges, within rounding of exact arithmetic
// (libyuv holds some coefficients in 6 bits, a few levels off for BT.709 and
// BT.2020). Each kernel has a plain path for every format and a vector path
// for 8-bit 4:2:0, the everyday one; the plain path is the reference the
// vector one is held to, bit for bit.
//
// Chroma is taken from the nearest sample on decoding (as libyuv does) and
// averaged over each 2x2 block on encoding.
#pragma once

#include <cstdint>

#include "frames/ArgbImage.h"
#include "common/FfmpegUtil.h"

namespace mv {

// Fixed-point coefficients of one matrix, range and source depth.
struct YuvMatrix {
    // Decoding: (Y - yOffset) * y + (C - cOffset) * c..., in units of 2^-decodeShift.
    int yOffset = 0, cOffset = 0;
    int y = 0, rV = 0, gU = 0, gV = 0, bU = 0;
    int decodeShift = 0;
    // Encoding to 8 bits: yBase + ry R + gy G + by B, and so on, in units of 2^-15.
    int yBase = 0;
    int ry = 0, gy = 0, by = 0;
    int ru = 0, gu = 0, bu = 0;
    int rv = 0, gv = 0, bv = 0;
};

// The luma weights of a Y'CbCr matrix (false where it is not one we convert).
bool lumaWeights(AVColorSpace matrix, double& kr, double& kb);
// `depth` bits per source sample (8 to 16).
YuvMatrix yuvMatrix(AVColorSpace matrix, bool fullRange, int depth);

// A planar Y'CbCr picture: 8-bit samples, or 16-bit ones holding `depth` bits.
struct YuvPicture {
    const std::uint8_t* data[3] = {};
    int stride[3] = {};
    int width = 0, height = 0;
    int depth = 8;
    int chromaShiftX = 1, chromaShiftY = 1;  // 4:2:0
};

// The picture as A, R, G, B (alpha 255), same size.
void yuvToArgb(const YuvPicture& src, const YuvMatrix& m, ArgbView dst);
void yuvToArgbPlain(const YuvPicture& src, const YuvMatrix& m, ArgbView dst);

// A, R, G, B to 8-bit 4:2:0 planes of the same size.
void argbToYuv420(ArgbView src, const YuvMatrix& m, std::uint8_t* const planes[3], const int strides[3]);
void argbToYuv420Plain(ArgbView src, const YuvMatrix& m, std::uint8_t* const planes[3], const int strides[3]);

// A frame's planes, if it is planar Y'CbCr of a kind the kernels take.
bool yuvPictureOf(const AVFrame* frame, YuvPicture& picture);

}  // namespace mv
