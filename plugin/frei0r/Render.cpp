// The filter's per-frame work: the host's time turned into a frame position
// and the clip's length, then the frame rendered as every guest host's is.
#include <algorithm>
#include <cmath>
#include <mutex>

#include "frei0r/FilterState.h"

namespace mvfrei0r {

// The effect's configuration and timing for the parameters as they stand.
static void ApplyParameters(Instance& instance) {
    const Parameters& p = instance.params;
    const auto drawn = mvguest::RegionOfText(instance.rect, instance.width, instance.height);
    mvguest::SetGuestConfig(instance.config, drawn.value_or(relRect{p.left, p.right, p.top, p.bottom}), p.zoomIn,
                            p.zoomOut, p.overlay);
    // Above 1 a value is in the plain units (see Parameters).
    const double frames = p.frames > 1 ? std::floor(p.frames) : std::round(p.frames * 1e6);
    const double rate = p.frameRate > 1 ? p.frameRate : p.frameRate * 1e3;
    const double unitSeconds = p.timeScale > 1 ? 1 / p.timeScale : p.timeScale;
    instance.timing = Timing{static_cast<std::int64_t>(frames), unitSeconds * rate};
}

// A usable time gives its frame (rounded to the nearest, as time stamps sit
// on the frames); a host that gives none (not a number, negative, beyond any
// clip) gets the frame after the one rendered last.
std::int64_t FramePosition(Instance& instance, double time) {
    const Timing& timing = instance.timing;
    const double frame = time * timing.framesPerUnit;
    std::int64_t position = std::isfinite(frame) && frame >= 0 && frame < 2147483647.0 ? std::llround(frame)
                                                                                       : instance.nextFrame;
    if (timing.clipFrames >= 1 && !(instance.params.course > 0))
        position = std::min(position, timing.clipFrames - 1);
    instance.nextFrame = position + 1;
    return position;
}

// The clip's length: from an animated course where it has moved off its
// start (its value there is the position over the length less one), else
// as given. A small course far into a long source gives a length past 2^31,
// which the course takes in 64 bits.
static std::int64_t ClipFrames(const Instance& instance, std::int64_t position) {
    const double course = instance.params.course;
    if (course > 0 && position > 0) return std::llround(std::min(position / course + 1, static_cast<double>(mvguest::kLongestClip)));
    return instance.timing.clipFrames;
}

void DisposeImages(Instance& instance) { mvguest::DisposeImages(instance.images); }

void RenderFrame(Instance& instance, double time, const std::uint32_t* inframe, std::uint32_t* outframe) {
    const std::lock_guard lock(instance.lock);
    // Once a frame: a host sets every parameter before each frame (MLT does).
    ApplyParameters(instance);
    const std::int64_t position = FramePosition(instance, time);
    const mvguest::Options options{instance.params.smooth > 0.5, instance.params.easing > 0.5};
    mvguest::RenderGuestFrame(instance.config, options, position, ClipFrames(instance, position),
                              mvguest::Frame{instance.width, instance.height, inframe, outframe}, instance.images);
}

}  // namespace mvfrei0r
