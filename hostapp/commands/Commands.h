// The host's commands, each with its own options.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mv {

struct RenderOptions {
    std::string input;  // empty: the embedded default clip
    std::string output;  // "-": standard output, in `format`
    std::string format;  // y4m or nut, for standard output
    std::string bundle;
    std::optional<double> duration;  // a still image's length in seconds
    std::string fps = "30";          // a still image's frame rate
    int fadeIn = 0;
    int fadeOut = 0;
    bool proxy = false;
    std::string size;  // WxH, empty: the source's
    std::int64_t start = 0;
    std::optional<std::int64_t> frames;
    int crf = 18;
    std::optional<std::array<float, 3>> hostSliders;
    std::string contactSheet;
};

struct ThumbnailOptions {
    std::string input;
    std::string output;
    std::string bundle;
    std::int64_t frame = 0;
    std::optional<double> duration;
    std::string fps = "30";
    std::string size;
};

struct ConfigureOptions {
    std::string input;  // empty: the embedded default clip
    std::string bundle;
    std::optional<double> duration;
    std::string fps = "30";
};

// Each returns the process's exit status; failures throw HostError.
int runRender(const RenderOptions& options);
int runInfo(const std::string& bundle);
int runThumbnail(const ThumbnailOptions& options);
int runSettings(const std::vector<std::string>& arguments);
int runConfigure(const ConfigureOptions& options);

}  // namespace mv
