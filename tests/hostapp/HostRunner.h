// Runs the built host program (and the ffmpeg command-line tool) as
// subprocesses, and makes and reads tiny lossless clips for the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace mvtest {

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// A scratch folder, removed with the object, that also serves as the
// settings folder of every program run from it.
class Scratch {
public:
    Scratch();
    ~Scratch();
    std::filesystem::path path(const std::string& name) const { return dir_ / name; }
    const std::filesystem::path& dir() const { return dir_; }

    // Runs argv[0] with the settings folder set; `shellPrefix` runs it under sh -c;
    // `whileRunning` is called with its process id before it is waited for.
    RunResult run(const std::vector<std::string>& argv, const std::string& shellPrefix = "",
                  const std::function<void(pid_t)>& whileRunning = {}) const;
    RunResult host(const std::vector<std::string>& args) const;
    void ffmpeg(const std::vector<std::string>& args) const;

private:
    std::filesystem::path dir_;
};

std::filesystem::path buildDir();
std::filesystem::path hostProgram();

// RGB pictures, 3 bytes a pixel, row after row.
using Picture = std::vector<std::uint8_t>;
using PixelFn = std::function<void(int x, int y, int frame, std::uint8_t rgb[3])>;

// Writes a clip of n frames made by fn, as FFV1 in RGB (lossless) in .mkv,
// with stereo 16-bit sound at 48 kHz from `sound` when it is not empty.
void writeClip(const Scratch& s, const std::filesystem::path& file, int w, int h, int n, int fps,
               const PixelFn& fn, const std::vector<std::int16_t>& sound = {});
// Every frame of a video or image sequence, decoded to RGB.
std::vector<Picture> readFrames(const Scratch& s, const std::string& input, int w, int h);
// The host program's render (w x h, decoded to RGB) of `clip`'s stretch from
// frame `in`, `frames` long, with the settings in the scratch folder.
std::vector<Picture> hostStretch(const Scratch& s, const std::filesystem::path& clip, int in, int frames, int w, int h);
// The sound as interleaved stereo 16-bit samples at 48 kHz.
std::vector<std::int16_t> readSound(const Scratch& s, const std::string& input);

}  // namespace mvtest
