// The container and codecs an output gets, chosen by its name.
#pragma once

#include <string>

#include "common/FfmpegUtil.h"

namespace mv {

struct OutputFormat {
    const char* muxer;
    const char* videoEncoder;
    AVPixelFormat pixelFormat;
    const char* audioEncoder;  // null: the container carries no sound
    bool evenSize;             // the encoder takes only even widths and heights
    bool sequence;             // an image sequence: one file per frame
};

// .mp4 / .mov: H.264 and AAC; .mkv: FFV1 and FLAC, lossless; .webm: VP9 and
// Opus; NAME%05d.png: a PNG per frame. Throws HostError for other names.
OutputFormat outputFormatFor(const std::string& path);

}  // namespace mv
