// The frei0r filter's instance: its parameters, the effect's configuration
// made from them, and the frames it renders in.
#pragma once

#include <cstdint>

#include "config/PluginDefines.h"
#include "quickdraw/QuickDraw.h"

namespace mvfrei0r {

// The parameters as the host set them, each already held to its range.
struct Parameters {
    double left = 0, right = 1, top = 0, bottom = 1;  // the start region, fractions of the frame
    double zoomIn = 0.10, zoomOut = 0.50, overlay = 0;  // shares 0..1: the dialog's percent / 100
    double frames = 0;       // the clip's length in frames; 0 for not given
    double frameRate = 25;   // frames per second of the clip
    double timeScale = 1000;  // the host's time units per second: 1000 for ffmpeg, 1 for MLT
    double smooth = 0;        // above 0.5: the crop to a fraction of a pixel, filtered
    double easing = 0;        // above 0.5: each zoom eases in and out instead of running evenly
};

struct Instance {
    unsigned width = 0, height = 0;
    Parameters params;
    pluginDataRec config{};
    GWorldPtr source = nullptr, target = nullptr;
    std::int64_t nextFrame = 0;  // where a frame without a usable time goes
};

// The effect's configuration for the parameters.
void ApplyParameters(Instance& instance);
// The frame's position in the clip for the host's time, by the rule the
// filter documents; moves the instance's count on.
std::int64_t FramePosition(Instance& instance, double time);
// The instance's own images let go, while no other instance renders.
void DisposeImages(Instance& instance);
// Renders inframe (R, G, B, A bytes, width x height) at the host's time into
// outframe; a frame that cannot be rendered (no memory) is the source.
void RenderFrame(Instance& instance, double time, const std::uint32_t* inframe, std::uint32_t* outframe);

}  // namespace mvfrei0r
