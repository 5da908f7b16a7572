// The frei0r filter's instance: its parameters, the effect's configuration
// made from them, and the frames it renders in.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "config/PluginDefines.h"
#include "guest/GuestRender.h"

namespace mvfrei0r {

// The parameters as the host set them, each already held to its range.
// frei0r holds a double to [0, 1], so the clip's length, its rate and the
// host's time unit are written in units that bring them there; a value
// above 1 is read in the plain units earlier versions took (a count of
// frames, frames a second, time units a second), as older command lines
// and project files write them.
struct Parameters {
    double left = 0, right = 1, top = 0, bottom = 1;  // the start region, fractions of the frame
    double zoomIn = 0.10, zoomOut = 0.50, overlay = 0;  // shares 0..1: the dialog's percent / 100
    double frames = 0;         // the clip's length in millions of frames; 0 for not given
    double frameRate = 0.025;  // the clip's rate in thousands of frames a second
    double timeScale = 1;      // the host's time unit in seconds: 1 for MLT and GStreamer, 0.001 for ffmpeg
    double smooth = 0;         // above 0.5: every frame resampled (Lanczos-3), the crop to a fraction of a pixel
    double easing = 0;         // above 0.5: each zoom eases in and out instead of running evenly
    double course = 0;         // the frame's place along the clip, 0 at its first frame and 1 at its last,
                               // where the host animates it; 0 throughout for not given
};

// What the length, rate and time unit come to, in frames.
struct Timing {
    std::int64_t clipFrames = 0;  // 0: no course, the region is held
    double framesPerUnit = 25;    // a frame position for a host's time
};

struct Instance {
    unsigned width = 0, height = 0;
    Parameters params;
    std::string rect;  // the start region as an editor's monitor draws it; empty for left, right, top, bottom
    pluginDataRec config{};
    Timing timing;
    mvguest::Images images;
    std::int64_t nextFrame = 0;  // where a frame without a usable time goes
    std::mutex lock;             // MLT's sliced threading renders one instance's bands on several threads
};

// The frame's position in the clip for the host's time, by the rule the
// filter documents; moves the instance's count on.
std::int64_t FramePosition(Instance& instance, double time);
// The instance's own images let go.
void DisposeImages(Instance& instance);
// Renders inframe (R, G, B, A bytes, width x height) at the host's time into
// outframe; a frame that cannot be rendered (no memory) is the source.
void RenderFrame(Instance& instance, double time, const std::uint32_t* inframe, std::uint32_t* outframe);

}  // namespace mvfrei0r
