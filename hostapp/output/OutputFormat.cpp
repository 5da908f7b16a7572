#include "output/OutputFormat.h"

#include <algorithm>
#include <cctype>

#include "common/HostError.h"

namespace mv {

namespace {

std::string lowerExtension(const std::string& path) {
    std::size_t dot = path.find_last_of('.');
    std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

// A printf-style frame number: %d, %5d or %05d.
bool hasFrameNumber(const std::string& name) {
    for (std::size_t at = name.find('%'); at != std::string::npos; at = name.find('%', at + 1)) {
        std::size_t end = name.find_first_not_of("0123456789", at + 1);
        if (end != std::string::npos && name[end] == 'd') return true;
    }
    return false;
}

}  // namespace

OutputFormat outputFormatFor(const std::string& path, const std::string& stream) {
    if (isStandardOutput(path)) {
        if (stream == "y4m") return {"yuv4mpegpipe", "wrapped_avframe", AV_PIX_FMT_YUV420P, nullptr, false, false, false, false};
        if (stream == "nut") return {"nut", "rawvideo", AV_PIX_FMT_YUV420P, "pcm_s16le", false, false, false, false};
        fail("-o -: name the stream's format with --format y4m or --format nut");
    }
    if (!stream.empty()) fail("--format " + stream + ": only for -o - (standard output); a file's name says its format");
    std::string ext = lowerExtension(path);
    if (ext == ".mp4") return {"mp4", "libx264", AV_PIX_FMT_YUV420P, "aac", true, false, true, true};
    if (ext == ".mov") return {"mov", "libx264", AV_PIX_FMT_YUV420P, "aac", true, false, true, true};
    if (ext == ".mkv") return {"matroska", "ffv1", AV_PIX_FMT_BGR0, "flac", false, false, true, true};
    if (ext == ".webm") return {"webm", "libvpx-vp9", AV_PIX_FMT_YUV420P, "libopus", false, false, true, true};
    if (ext == ".png") {
        std::size_t slash = path.find_last_of('/');
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (!hasFrameNumber(name))
            fail(path + ": an image sequence needs a frame number in its name, e.g. NAME%05d.png");
        return {"image2", "png", AV_PIX_FMT_RGB24, nullptr, false, true, true, false};
    }
    fail(path + ": unknown kind of output (use .mp4, .mov, .mkv, .webm or NAME%05d.png)");
}

}  // namespace mv
