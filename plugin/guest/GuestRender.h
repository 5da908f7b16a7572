// The effect inside another host's frames: the frei0r filter, the MLT
// service and the GStreamer element each work out where a frame stands in
// its clip, then hand it here. A frame is rendered by the effect's own
// engine exactly as the bundle renders it, or, with the options, along an
// eased course or by the smooth sampler.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "config/PluginDefines.h"
#include "quickdraw/QuickDraw.h"

namespace mvguest {

// The longest clip a course runs over, in frames: as far as its 64-bit
// arithmetic is exact. Hosts hold longer lengths to it.
constexpr std::int64_t kLongestClip = 1'000'000'000'000'000;

struct Options {
    bool smooth = false;  // every frame resampled (Lanczos-3), the crop to a fraction of a pixel
    bool easing = false;  // each zoom eases in and out instead of running evenly
};

// A host's frame: R, G, B, A bytes (any order of the four, but for the
// overlay, which blends by the A byte), rows of exactly width pixels.
struct Frame {
    unsigned width, height;  // 1..32767 each
    const std::uint32_t* in;
    std::uint32_t* out;
};

// The effect's own A, R, G, B images, made when the overlay first needs them
// and kept by the caller between frames of one size.
struct Images {
    GWorldPtr source = nullptr, target = nullptr;
};

// A rectangle x, y, w, h in fractions of the frame (a negative width or
// height reaches back from x or y) as a start region held to the frame.
relRect RegionOfBox(double x, double y, double w, double h);
// A rectangle as MLT writes one ("x y w h", each in pixels of a width x
// height frame or in percent; a keyframe "pos=x y w h [opacity]", the first
// of several), as fractions of the frame; nothing where it is no rectangle,
// or where it covers the whole frame (an editor's default, which leaves the
// edges, as projects from before the rectangle hold them, in charge).
std::optional<relRect> RegionOfText(std::string_view text, unsigned width, unsigned height);
// The configuration's start region (its edges in any order) and its three
// sliders from shares 0..1 (the dialog's percentages / 100).
void SetGuestConfig(pluginDataRec& config, relRect start, double zoomIn, double zoomOut, double overlay);

// Renders frame `position` of a clip of `frames` frames (fewer than 1: no
// course, the start region is held) with the configuration's region and
// sliders. Never fails: a frame that cannot be rendered (no memory, an
// assertion of the engine's) is the source, said once on standard error.
void RenderGuestFrame(const pluginDataRec& config, Options options, std::int64_t position, std::int64_t frames,
                      const Frame& frame, Images& images);
// The images let go, while no frame renders in them.
void DisposeImages(Images& images);

}  // namespace mvguest
