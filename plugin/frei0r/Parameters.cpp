#include "frei0r/Parameters.h"

#include <algorithm>
#include <cmath>

namespace mvfrei0r {

// Appended to only: a host may address a parameter by its place.
const ParameterInfo kParameters[] = {
    {"left", F0R_PARAM_DOUBLE, "Start region: its left edge, as a fraction of the frame's width", &Parameters::left, 0, 1},
    {"right", F0R_PARAM_DOUBLE, "Start region: its right edge, as a fraction of the frame's width", &Parameters::right, 0, 1},
    {"top", F0R_PARAM_DOUBLE, "Start region: its top edge, as a fraction of the frame's height", &Parameters::top, 0, 1},
    {"bottom", F0R_PARAM_DOUBLE, "Start region: its bottom edge, as a fraction of the frame's height", &Parameters::bottom,
     0, 1},
    {"zoom-in", F0R_PARAM_DOUBLE, "Share of the clip spent zooming in at its start (1 is the first half)",
     &Parameters::zoomIn, 0, 1},
    {"zoom-out", F0R_PARAM_DOUBLE, "Share of the clip spent zooming out at its end (1 is the second half)",
     &Parameters::zoomOut, 0, 1},
    {"overlay", F0R_PARAM_DOUBLE, "Opacity of the unzoomed frame laid over the zoom", &Parameters::overlay, 0, 1},
    {"frames", F0R_PARAM_DOUBLE,
     "The clip's length in millions of frames (300e-6: 300 frames; 0: no course, the region is held)",
     &Parameters::frames, 0, 2147483647.0},
    {"frame-rate", F0R_PARAM_DOUBLE, "The clip's rate in thousands of frames a second (25e-3: 25 frames a second)",
     &Parameters::frameRate, 1e-6, 1000000},
    {"time-scale", F0R_PARAM_DOUBLE, "The host's time unit in seconds: 1 for MLT and GStreamer, 0.001 for ffmpeg",
     &Parameters::timeScale, 1e-9, 1e9},
    {"smooth", F0R_PARAM_BOOL, "Resample every frame by a Lanczos-3 filter, the crop to fractions of a pixel: sharp, and slow zooms glide",
     &Parameters::smooth, 0, 1},
    {"easing", F0R_PARAM_BOOL, "Ease each zoom in and out instead of running it evenly", &Parameters::easing, 0, 1},
    {"course", F0R_PARAM_DOUBLE,
     "The frame's place along the clip, 0 at its first frame and 1 at its last, as the host animates it "
     "(in MLT 0=0;-1=1): the clip's length then follows from it and frames is not needed",
     &Parameters::course, 0, 1},
    {"rect", F0R_PARAM_STRING,
     "The start region as a rectangle x y w h, in pixels of the frame or in percent, as an editor's monitor "
     "draws it; set, it stands for left, right, top and bottom",
     nullptr, 0, 0},
};
const int kParameterCount = static_cast<int>(sizeof kParameters / sizeof kParameters[0]);

void SetParameter(Instance& instance, int index, double value) {
    if (index < 0 || index >= kParameterCount) return;
    const ParameterInfo& p = kParameters[index];
    if (!p.field || std::isnan(value)) return;
    instance.params.*p.field = std::clamp(value, p.minimum, p.maximum);
}

double GetParameter(const Instance& instance, int index) {
    if (index < 0 || index >= kParameterCount || !kParameters[index].field) return 0;
    return instance.params.*kParameters[index].field;
}

void SetTextParameter(Instance& instance, int index, const char* text) {
    if (index < 0 || index >= kParameterCount || kParameters[index].field) return;
    instance.rect = text ? text : "";
}

const char* GetTextParameter(const Instance& instance, int index) {
    if (index < 0 || index >= kParameterCount || kParameters[index].field) return "";
    return instance.rect.c_str();
}

}  // namespace mvfrei0r
