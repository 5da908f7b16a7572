// Opening what the user named as a clip, with the checks every command shares.
#pragma once

#include <optional>
#include <string>

#include "clip/Source.h"

namespace mv {

// A file, a still image (with a duration), or the default clip (empty name).
Clip openClip(const std::string& input, std::optional<double> duration, const std::string& fps);
// "1280x720" → width and height; the clip's own size when text is empty.
void parseSize(const std::string& text, const ClipInfo& clip, int& width, int& height);
// The bundle the user named, or the one beside the host.
std::string bundleOrDefault(const std::string& bundle);

}  // namespace mv
