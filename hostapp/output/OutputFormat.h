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
    bool carriesMatrix;        // says its Y'CbCr matrix and range (or holds R, G, B)
    bool carriesHdr;           // says primaries and transfer, which HDR needs
};

// .mp4 / .mov: H.264 and AAC; .mkv: FFV1 and FLAC, lossless; .webm: VP9 and
// Opus; NAME%05d.png: a PNG per frame; "-" (standard output) in `stream`:
// y4m (YUV 4:2:0 pictures) or nut (those and 16-bit sound), uncompressed.
// Throws HostError for other names, and for a stream format without "-".
// The streams carry no colour description (Y4M only its range), PNG no HDR one.
OutputFormat outputFormatFor(const std::string& path, const std::string& stream = "");

// The output name that means standard output.
inline bool isStandardOutput(const std::string& path) { return path == "-"; }

}  // namespace mv
