// Pixel conversion and scaling between FFmpeg's frames and the 32-bit A, R, G, B
// images the plug-in works on. libyuv where it is exact enough and faster,
// libswscale for everything else and as the reference.
#pragma once

#include <cstdint>
#include <vector>

#include "frames/ArgbImage.h"
#include "common/FfmpegUtil.h"

namespace mv {

enum class ScaleQuality { Fast, Good };

// Bytes a destination of ArgbConverter must have writable past its last
// row: swscale's packed-RGB writers store beyond a row's last pixel. The
// platform's frame images have them; a buffer of the host's own must too.
inline constexpr std::size_t kConvertSlack = 64;

class ArgbConverter {
public:
    // Converts and scales src to fill dst (see kConvertSlack).
    void convert(const AVFrame* src, ArgbView dst, ScaleQuality quality);
    // The same through libswscale only.
    void convertReference(const AVFrame* src, ArgbView dst, ScaleQuality quality);

private:
    SwsPtr owner_;
    std::vector<std::uint8_t> scaled_;  // a 4:2:0 picture brought down to the destination's size
};

class FrameConverter {
public:
    // Converts src (same size) into dst, already allocated in its format.
    void convert(ArgbView src, AVFrame* dst);
    void convertReference(ArgbView src, AVFrame* dst);

private:
    void toI420(ArgbView src, AVFrame* dst);

    SwsPtr owner_;
    std::vector<std::uint8_t> spare_;  // the last rows, with a byte to spare
};

}  // namespace mv
