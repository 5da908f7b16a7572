// Writes one picture as a PNG file, atomically.
#pragma once

#include <string>

#include "frames/ArgbImage.h"

namespace mv {

void writePng(const std::string& path, ArgbView image);

}  // namespace mv
