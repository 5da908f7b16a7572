// The filter's per-frame work: the host's time turned into a frame position,
// the frame brought into the effect's A, R, G, B images, rendered by the
// effect's own engine exactly as the bundle renders it, and handed back.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <mutex>

#include "engine/callPixelFX.h"
#include "frei0r/FilterState.h"

namespace mvfrei0r {

namespace {

// The drawing platform keeps one current port for the process: one frame at
// a time, whichever instance or thread asks.
std::mutex gRenderLock;

SInt16 Percent(double share) { return static_cast<SInt16>(std::lround(share * 100)); }

// R, G, B, A bytes (the host's) and A, R, G, B bytes (the effect's), a
// 32-bit word read little-endian each: one rotation apart.
void ToEffect(const std::uint32_t* from, GWorldPtr to, unsigned width, unsigned height) {
    PixMapHandle pm = GetGWorldPixMap(to);
    auto* base = reinterpret_cast<std::uint8_t*>(GetPixBaseAddr(pm));
    for (unsigned y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(base + static_cast<std::ptrdiff_t>(y) * GetPixRowBytes(pm));
        for (unsigned x = 0; x < width; ++x) row[x] = std::rotl(from[x], 8);
        from += width;
    }
}

void ToHost(GWorldPtr from, std::uint32_t* to, unsigned width, unsigned height) {
    PixMapHandle pm = GetGWorldPixMap(from);
    const auto* base = reinterpret_cast<const std::uint8_t*>(GetPixBaseAddr(pm));
    for (unsigned y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(base + static_cast<std::ptrdiff_t>(y) * GetPixRowBytes(pm));
        for (unsigned x = 0; x < width; ++x) to[x] = std::rotr(row[x], 8);
        to += width;
    }
}

}  // namespace

void ApplyParameters(Instance& instance) {
    const Parameters& p = instance.params;
    instance.config.startRel = relRect{std::min(p.left, p.right), std::max(p.left, p.right), std::min(p.top, p.bottom),
                                       std::max(p.top, p.bottom)};
    instance.config.sliders[0] = Percent(p.zoomIn);
    instance.config.sliders[1] = Percent(p.zoomOut);
    instance.config.sliders[2] = Percent(p.overlay);
}

// A usable time gives its frame (rounded to the nearest, as time stamps sit
// on the frames); a host that gives none (not a number, negative, beyond any
// clip) gets the frame after the one rendered last.
std::int64_t FramePosition(Instance& instance, double time) {
    const Parameters& p = instance.params;
    const double frame = time / p.timeScale * p.frameRate;
    std::int64_t position = std::isfinite(frame) && frame >= 0 && frame < 2147483647.0 ? std::llround(frame)
                                                                                       : instance.nextFrame;
    if (p.frames >= 1) position = std::min<std::int64_t>(position, static_cast<std::int64_t>(p.frames) - 1);
    instance.nextFrame = position + 1;
    return position;
}

void RenderFrame(Instance& instance, std::int64_t position, const std::uint32_t* inframe, std::uint32_t* outframe) {
    std::lock_guard lock(gRenderLock);
    ToEffect(inframe, instance.source, instance.width, instance.height);
    const Rect bounds{0, 0, static_cast<SInt16>(instance.height), static_cast<SInt16>(instance.width)};
    CopyBits(GetPortBitMapForCopyBits(instance.source), GetPortBitMapForCopyBits(instance.target), &bounds, &bounds,
             srcCopy, nullptr);
    pluginDataRec config = instance.config;
    SInt32 frames = static_cast<SInt32>(instance.params.frames);
    if (frames < 1) {
        // Without the clip's length there is no course: the region is held.
        config.sliders[0] = config.sliders[1] = 0;
        frames = 1;
        position = 0;
    }
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    DoPascalPixelEffect(instance.source, instance.target, &config, static_cast<SInt32>(position), frames);
    SetGWorld(savedPort, savedDevice);
    ToHost(instance.target, outframe, instance.width, instance.height);
}

}  // namespace mvfrei0r
