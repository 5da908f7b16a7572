// Pieces of the file source that the still-image source reuses.
#pragma once

#include <memory>
#include <string>

#include "common/FfmpegUtil.h"
#include "clip/Source.h"

namespace mv {

InputPtr openInput(const std::string& path);
// The stream's index, or -1; cover pictures do not count as video.
int findStream(AVFormatContext* input, AVMediaType type);
std::unique_ptr<VideoSource> openFileVideo(const std::string& path, AVRational fps);

}  // namespace mv
