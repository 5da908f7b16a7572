// The scaled copy behind CopyBits: nearest pixel by pixel centres,
// source x = cropX + floor((2 dx + 1) cropW / (2 destW)), likewise y, in
// exact integer arithmetic. Destination pixels outside the destination, or
// whose sample falls outside the source, are left alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mv {

struct ScaleJob {
    const std::uint8_t* src;
    std::ptrdiff_t srcRowBytes;
    int srcWidth, srcHeight;
    std::uint8_t* dst;
    std::ptrdiff_t dstRowBytes;
    int dstWidth, dstHeight;
    int cropX, cropY, cropW, cropH;  // source pixels, may reach outside
    int destX, destY, destW, destH;  // destination pixels, may reach outside
};

// Pixel by pixel, straight from the formula; the yardstick for ScaleCopy.
void ScaleCopyReference(const ScaleJob& job);
// Row copies for equal sizes, repeated rows and a column table otherwise.
void ScaleCopy(const ScaleJob& job);

}  // namespace mv
