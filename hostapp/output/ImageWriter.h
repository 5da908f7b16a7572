// Writes one picture as a PNG file, atomically.
#pragma once

#include <string>

#include "frames/ArgbImage.h"
#include "frames/Colour.h"

namespace mv {

// Labelled with the picture's primaries and transfer.
void writePng(const std::string& path, ArgbView image, const ColourDescription& colour);

}  // namespace mv
