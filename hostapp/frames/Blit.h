// The host's compositing: an area of one image mixed over an area of another.
#pragma once

#include <cstdint>

#include "frames/ArgbImage.h"
#include "MacTypes.h"

namespace mv {

// Mixes srcRect of src over dstRect of dst at opacity (0..255; 255 shows only
// the source, 0 leaves the destination), scaled nearest-neighbour when the
// rectangles differ in size. Both rectangles are clipped to their images.
void blitOver(ArgbView src, ArgbView dst, const Rect& srcRect, const Rect& dstRect, int opacity);
// The same, plainly, one pixel at a time: the reference for blitOver.
void blitOverReference(ArgbView src, ArgbView dst, const Rect& srcRect, const Rect& dstRect, int opacity);

// Fills an area (clipped to the image) with an opaque colour.
void fillArea(ArgbView dst, const Rect& area, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

}  // namespace mv
