#include "commands/ClipOpening.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/HostError.h"
#include "commands/Paths.h"

namespace mv {

namespace {

constexpr int kMaxCoordinate = 32767;
// A photo named without --duration: long enough to see the whole course.
constexpr double kStillSeconds = 5.0;

AVRational parseRate(const std::string& text) {
    AVRational rate{0, 1};
    if (av_parse_video_rate(&rate, text.c_str()) < 0 || rate.num <= 0 || rate.den <= 0)
        fail("--fps " + text + ": not a frame rate");
    return rate;
}

void checkReadable(const std::string& path) {
    // Patterns of image sequences are not files of their own.
    if (path.find('%') != std::string::npos) return;
    if (access(path.c_str(), R_OK) != 0) fail(path + ": " + std::strerror(errno));
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) fail(path + ": is a folder, not a video");
}

}  // namespace

Clip openClip(const std::string& input, std::optional<double> duration, const std::string& fps) {
    if (input.empty()) {
        if (duration) fail("--duration is for a still image; the default clip has its own length");
        return openDefaultClip();
    }
    checkReadable(input);
    if (duration) return openStillClip(input, *duration, parseRate(fps));
    if (isStillImage(input)) {
        std::fprintf(stderr, "morvatelle: %s is a still image: showing it for %g s at %s fps (--duration and --fps change that)\n",
                     input.c_str(), kStillSeconds, fps.c_str());
        return openStillClip(input, kStillSeconds, parseRate(fps));
    }
    return openFileClip(input);
}

void parseSize(const std::string& text, const ClipInfo& clip, int& width, int& height) {
    width = clip.width;
    height = clip.height;
    if (!text.empty()) {
        std::size_t x = text.find('x');
        auto digits = [](const std::string& t) {
            return !t.empty() && t.size() <= 9 && t.find_first_not_of("0123456789") == std::string::npos;
        };
        std::string w = text.substr(0, x), h = x == std::string::npos ? "" : text.substr(x + 1);
        if (!digits(w) || !digits(h)) fail("--size " + text + ": give it as WIDTHxHEIGHT, e.g. 1280x720");
        width = std::stoi(w);
        height = std::stoi(h);
        if (width <= 0 || height <= 0) fail("--size " + text + ": width and height must be above 0");
    }
    if (width > kMaxCoordinate || height > kMaxCoordinate)
        fail(std::to_string(width) + "x" + std::to_string(height) +
             ": frames may be at most 32767 pixels wide and high");
}

std::string bundleOrDefault(const std::string& bundle) {
    return bundle.empty() ? defaultBundlePath().string() : bundle;
}

}  // namespace mv
