// Where the host's frames and sound come from: a file FFmpeg reads, a still
// image held for a while, or the embedded default clip.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/FfmpegUtil.h"
#include "frames/Colour.h"
#include "frames/Orientation.h"

namespace mv {

struct ClipInfo {
    std::string name;  // for messages
    int width = 0;     // as shown, once turned upright
    int height = 0;
    Orientation orientation;  // how stored pictures turn upright
    AVRational frameRate{0, 1};
    AVRational pixelAspect{1, 1};  // a pixel's width over its height
    std::int64_t frameCount = 0;
    bool hasAudio = false;
    ColourDescription colour;  // the source's, with what is missing as players assume it
};

// Records how stored pictures turn upright, and the size and pixel shape
// they then have.
void setOrientation(ClipInfo& info, Orientation orientation);

// Decoded pictures in clip order. A source is used from one thread at a time.
class VideoSource {
public:
    virtual ~VideoSource() = default;
    // Makes frame `index` the next one next() delivers.
    virtual void seek(std::int64_t index) = 0;
    // The next frame, owned by the source until the following call; null at
    // the end. Throws HostError on data that cannot be decoded.
    virtual const AVFrame* next(std::int64_t& index) = 0;
};

// Sound as interleaved float samples at the clip's own rate, sample 0 being
// the moment of the first picture.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int sampleRate() const = 0;
    virtual const AVChannelLayout& layout() const = 0;
    virtual void seek(std::int64_t sample) = 0;
    // Up to `count` samples per channel into out; fewer only at the end.
    virtual int read(float* out, int count) = 0;
};

struct Clip {
    ClipInfo info;
    std::unique_ptr<VideoSource> video;
    std::unique_ptr<AudioSource> audio;  // null without sound
};

// Opens any file FFmpeg reads; checks it holds a video with frames.
Clip openFileClip(const std::string& path);
// A single picture (a photo): a clip only once it is given a duration.
bool isStillImage(const std::string& path);
// A still image shown for `seconds` at `fps`.
Clip openStillClip(const std::string& path, double seconds, AVRational fps);
// The embedded default clip: a test pattern with a tone.
Clip openDefaultClip();

// The sample where frame `index` begins, at `rate` samples per second.
std::int64_t frameStartSample(std::int64_t index, int rate, AVRational fps);

}  // namespace mv
