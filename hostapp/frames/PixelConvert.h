// Pixel conversion and scaling between FFmpeg's frames and the 32-bit A, R, G, B
// images the plug-in works on, with the source's own matrix and range and
// nothing else: the A, R, G, B pixels are in the source's colour space.
// Our kernels for planar Y'CbCr at the same size, libyuv to bring 8-bit
// 4:2:0 down to a smaller size, libswscale for everything else.
#pragma once

#include <cstdint>
#include <vector>

#include "frames/ArgbImage.h"
#include "frames/Colour.h"
#include "frames/YuvKernels.h"
#include "common/FfmpegUtil.h"

namespace mv {

// The kernels' coefficients for a matrix (BT.601's where it is none we
// convert), a range and a source depth.
YuvMatrix yuvMatrixFor(AVColorSpace matrix, bool fullRange, int depth);
// A frame's planes, if it is planar Y'CbCr of a kind the kernels take.
bool yuvPictureOf(const AVFrame* frame, YuvPicture& picture);

enum class ScaleQuality { Fast, Good };

// Bytes a destination of ArgbConverter must have writable past its last
// row: swscale's packed-RGB writers store beyond a row's last pixel. The
// platform's frame images have them; a buffer of the host's own must too.
inline constexpr std::size_t kConvertSlack = 64;

class ArgbConverter {
public:
    // Pictures described as `colour`; without a matrix, each frame's own tags
    // are read and resolved as players do.
    explicit ArgbConverter(const ColourDescription& colour = {}) : colour_(colour) {}
    // Converts and scales src to fill dst (see kConvertSlack).
    void convert(const AVFrame* src, ArgbView dst, ScaleQuality quality);
    // The same through libswscale only.
    void convertReference(const AVFrame* src, ArgbView dst, ScaleQuality quality);

private:
    ColourDescription colourFor(const AVFrame* src) const;
    const YuvMatrix& matrixFor(const ColourDescription& colour, int depth);

    ColourDescription colour_;
    YuvMatrix matrix_;
    ColourDescription matrixColour_;
    int matrixDepth_ = 0;
    SwsPtr owner_;
    std::vector<std::uint8_t> scaled_;  // a 4:2:0 picture brought down to the destination's size
};

class FrameConverter {
public:
    // Y'CbCr destinations are written with `colour`'s matrix and range.
    explicit FrameConverter(const ColourDescription& colour = resolveColour({}, 0, 0, false));
    // Converts src (same size) into dst, already allocated in its format.
    void convert(ArgbView src, AVFrame* dst);
    void convertReference(ArgbView src, AVFrame* dst);

private:
    ColourDescription colour_;
    YuvMatrix matrix_;
    SwsPtr owner_;
};

// swscale's own matrix numbers for a Y'CbCr matrix.
int swsColorspace(AVColorSpace matrix);

}  // namespace mv
