#include "OutputFormat.h"

#include <algorithm>
#include <cctype>
#include <regex>

#include "HostError.h"

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

}  // namespace

OutputFormat outputFormatFor(const std::string& path) {
    std::string ext = lowerExtension(path);
    if (ext == ".mp4") return {"mp4", "libx264", AV_PIX_FMT_YUV420P, "aac", true, false};
    if (ext == ".mov") return {"mov", "libx264", AV_PIX_FMT_YUV420P, "aac", true, false};
    if (ext == ".mkv") return {"matroska", "ffv1", AV_PIX_FMT_BGR0, "flac", false, false};
    if (ext == ".webm") return {"webm", "libvpx-vp9", AV_PIX_FMT_YUV420P, "libopus", false, false};
    if (ext == ".png") {
        static const std::regex pattern("%0?[0-9]*d");
        std::size_t slash = path.find_last_of('/');
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (!std::regex_search(name, pattern))
            fail(path + ": an image sequence needs a frame number in its name, e.g. NAME%05d.png");
        return {"image2", "png", AV_PIX_FMT_RGB24, nullptr, false, true};
    }
    fail(path + ": unknown kind of output (use .mp4, .mov, .mkv, .webm or NAME%05d.png)");
}

}  // namespace mv
