// A guest frame's render: in the host's own frames, or, where the overlay
// blends by the A byte, in the effect's A, R, G, B images and handed back.
#include "guest/GuestRender.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/callPixelFX.h"
#include "engine/imageProcs.h"
#include "engine/lineEffect.h"
#include "guest/Resample.h"
#include "util/Diagnostics.h"

namespace mvguest {

namespace {

Rect FrameBounds(const Frame& frame) {
    return Rect{0, 0, static_cast<SInt16>(frame.height), static_cast<SInt16>(frame.width)};
}

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

// A stretch of the course, as the engine's, in 64 bits: a length derived
// from a host's time far into a long source passes 2^31 / 100 frames, where
// the shares' arithmetic would wrap.
struct Leg {
    std::int64_t startFrame, endFrame;
    relRect from, to;
};

// The zoom-in test comes first, as the engine's course has it.
Leg LegAt(const pluginDataRec& config, std::int64_t current, std::int64_t frames) {
    auto share = [&](SInt16 slider) { return static_cast<std::int64_t>(std::trunc(double(frames) * slider / 200.0)); };
    const std::int64_t inFrames = share(config.sliders[0]), outStart = frames - share(config.sliders[1]);
    relRect whole;
    InitRelRect(whole);
    if (current < inFrames) return Leg{0, inFrames, whole, config.startRel};
    if (outStart < current) return Leg{outStart, frames, config.startRel, whole};
    return Leg{current, current, config.startRel, config.startRel};
}

relRect Along(const relRect& from, const relRect& to, double c, double frames) {
    return relRect{CalcTweenEdge(from.left, to.left, c, frames), CalcTweenEdge(from.right, to.right, c, frames),
                   CalcTweenEdge(from.top, to.top, c, frames), CalcTweenEdge(from.bottom, to.bottom, c, frames)};
}

// Where a frame stands on the course: its stretch and how far along it
// (eased if asked). Without the clip's length there is no course: the
// region is held, as a course with no zooms.
struct Step {
    std::int64_t position;
    Leg leg;
    double t;
};

Step StepAt(pluginDataRec& config, Options options, std::int64_t position, std::int64_t frames) {
    if (frames < 1) {
        config.sliders[0] = config.sliders[1] = 0;
        return Step{0, Leg{0, 0, config.startRel, config.startRel}, 0};
    }
    position = std::clamp<std::int64_t>(position, 0, frames - 1);
    Step step{position, LegAt(config, position, frames), 0};
    if (step.leg.endFrame > step.leg.startFrame) {
        const double t = std::clamp(
            double(position - step.leg.startFrame) / double(step.leg.endFrame - step.leg.startFrame), 0.0, 1.0);
        step.t = options.easing ? t * t * (3 - 2 * t) : t;
    }
    return step;
}

// The exact course's region for the frame, as the engine works it out.
relRect ExactRegion(const Step& step) {
    const Leg& leg = step.leg;
    if (leg.endFrame == leg.startFrame) return leg.from;
    return Along(leg.from, leg.to, double(step.position - leg.startFrame), double(leg.endFrame - leg.startFrame));
}

// The smooth crop glides between the exact course's whole-pixel regions at
// the stretch's ends, so it meets them without a jump.
RegionF SmoothRegion(const Frame& frame, const Step& step) {
    const Rect bounds = FrameBounds(frame);
    Rect from = Rel2Rect(step.leg.from, bounds), to = Rel2Rect(step.leg.to, bounds);
    CheckRect(from, bounds);
    CheckRect(to, bounds);
    const double left = CalcTweenEdge(from.left, to.left, step.t, 1), right = CalcTweenEdge(from.right, to.right, step.t, 1);
    const double top = CalcTweenEdge(from.top, to.top, step.t, 1), bottom = CalcTweenEdge(from.bottom, to.bottom, step.t, 1);
    return RegionF{std::min(left, right), std::max(left, right), std::min(top, bottom), std::max(top, bottom)};
}

bool RenderSmooth(const Frame& frame, Images images, const Step& step) {
    PixMapHandle in = GetGWorldPixMap(images.source), out = GetGWorldPixMap(images.target);
    return ResampleRegion(reinterpret_cast<const std::uint32_t*>(GetPixBaseAddr(in)),
                          reinterpret_cast<std::uint32_t*>(GetPixBaseAddr(out)), static_cast<int>(frame.width),
                          static_cast<int>(frame.height), GetPixRowBytes(out) / 4, SmoothRegion(frame, step));
}

// The exact or the eased course's region, drawn by the effect's renderer.
void RenderRegion(pluginDataRec& config, Images images, relRect region) {
    PixelDrive(images.source, images.target, Rel2Rect(region, GetPortRect(images.target)), &config, 0, 0);
}

// The zoom by the options' way (smooth: every frame resampled, the hold's
// too; eased: the renderer along the eased course; else the exact course),
// then the overlay where asked. The overlay is laid here rather than by the
// renderer so that a source image that cannot be had leaves the zoom alone
// instead of ending the host's process. False when the smooth sampler could
// not run (no memory).
bool Render(const pluginDataRec& settings, Options options, const Frame& frame, Images images, const Step& step,
            bool overlay) {
    pluginDataRec config = settings;
    config.sliders[2] = 0;
    bool rendered = true;
    if (options.smooth)
        rendered = RenderSmooth(frame, images, step);
    else if (options.easing)
        RenderRegion(config, images, Along(step.leg.from, step.leg.to, step.t, 1));
    else
        RenderRegion(config, images, ExactRegion(step));
    if (rendered && overlay && settings.sliders[2] > 0)
        LayOverSource(images.source, images.target, GetPortRect(images.target), settings.sliders[2]);
    return rendered;
}

bool HaveImages(const Frame& frame, Images& images) {
    if (images.source && images.target) return true;
    const Rect bounds = FrameBounds(frame);
    if (!images.source && NewGWorld(&images.source, 32, &bounds, nullptr, nullptr, 0) != noErr) return false;
    return NewGWorld(&images.target, 32, &bounds, nullptr, nullptr, 0) == noErr;
}

// Every region of the course, linear or eased, covers at least a pixel each
// way when the start region does, since the course only ever widens it
// toward the whole frame; then the render overwrites the whole output.
bool StartRegionHasArea(const pluginDataRec& config, Rect bounds) {
    Rect start = Rel2Rect(config.startRel, bounds);
    CheckRect(start, bounds);
    return start.right > start.left && start.bottom > start.top;
}

// Without the overlay the renderer only moves whole pixels, whatever their
// byte order, so it renders the host's frames themselves: no turning them
// into the effect's A, R, G, B images and back. The bundle's host copies
// the source into the output first; that copy is made only where the render
// may leave part of the output alone.
bool RenderInPlace(pluginDataRec& config, Options options, const Frame& frame, const Step& step) {
    const Rect bounds = FrameBounds(frame);
    const auto rowBytes = static_cast<SInt32>(frame.width * 4);
    // Disposed of however the render ends, an unwinding failure included.
    using World = std::unique_ptr<std::remove_pointer_t<GWorldPtr>, decltype(&DisposeGWorld)>;
    auto over = [&](const std::uint32_t* pixels) {
        GWorldPtr world = nullptr;
        NewGWorldFromPtr(&world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0,
                         reinterpret_cast<Ptr>(const_cast<std::uint32_t*>(pixels)), rowBytes);
        return World(world, DisposeGWorld);
    };
    const World source = over(frame.in), target = over(frame.out);
    if (!source || !target) return false;
    if (!StartRegionHasArea(config, bounds)) std::memcpy(frame.out, frame.in, std::size_t{frame.width} * frame.height * 4);
    return Render(config, options, frame, Images{source.get(), target.get()}, step, false);
}

// The frame as it came, and one line the first time, for the host's log.
void ShowSource(const Frame& frame) {
    std::memcpy(frame.out, frame.in, std::size_t{frame.width} * frame.height * 4);
    static std::atomic_flag told = ATOMIC_FLAG_INIT;
    if (!told.test_and_set())
        std::fputs("morvatelle: a frame could not be rendered (out of memory); it is shown as it came, and "
                   "each later frame tries again\n",
                   stderr);
}

void RenderInPorts(pluginDataRec& config, Options options, const Frame& frame, const Step& step, Images& images) {
    // The overlay blends by the A byte: it is laid in the effect's own images.
    // Without them (no memory) the zoom comes alone; without even that, the frame.
    if (!config.sliders[2] || !HaveImages(frame, images)) {
        if (!RenderInPlace(config, options, frame, step)) ShowSource(frame);
        return;
    }
    ToEffect(frame.in, images.source, frame.width, frame.height);
    const Rect bounds = FrameBounds(frame);
    if (!options.smooth && !StartRegionHasArea(config, bounds))  // else the render writes every pixel
        CopyBits(GetPortBitMapForCopyBits(images.source), GetPortBitMapForCopyBits(images.target), &bounds, &bounds,
                 srcCopy, nullptr);
    if (Render(config, options, frame, images, step, true))
        ToHost(images.target, frame.out, frame.width, frame.height);
    else
        ShowSource(frame);
}

// A failed assertion while a frame is rendered: unwound to RenderGuestFrame.
struct FrameFailed {};
[[noreturn]] void Unwind(const char*) { throw FrameFailed{}; }

}  // namespace

relRect RegionOfBox(double x, double y, double w, double h) {
    auto edge = [](double e) { return std::clamp(e, 0.0, 1.0); };
    return relRect{edge(std::min(x, x + w)), edge(std::max(x, x + w)), edge(std::min(y, y + h)),
                   edge(std::max(y, y + h))};
}

std::optional<relRect> RegionOfText(std::string_view value, unsigned width, unsigned height) {
    value = value.substr(0, value.find(';'));
    if (const auto at = value.rfind('='); at != std::string_view::npos) value.remove_prefix(at + 1);
    double v[4];
    const char* p = value.data();
    const char* const end = value.data() + value.size();
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    for (int i = 0; i < 4; ++i) {
        while (p < end && space(*p)) ++p;
        const auto [next, error] = std::from_chars(p, end, v[i]);
        if (error != std::errc{} || !std::isfinite(v[i])) return std::nullopt;
        p = next;
        const double whole = i % 2 ? height : width;
        if (p < end && *p == '%') {
            v[i] /= 100;
            ++p;
        } else {
            v[i] /= whole;
        }
        if (p < end && !space(*p)) return std::nullopt;
    }
    const relRect region = RegionOfBox(v[0], v[1], v[2], v[3]);
    if (region.left == 0 && region.top == 0 && region.right == 1 && region.bottom == 1) return std::nullopt;
    return region;
}

void SetGuestConfig(pluginDataRec& config, relRect start, double zoomIn, double zoomOut, double overlay) {
    config.startRel = relRect{std::min(start.left, start.right), std::max(start.left, start.right),
                              std::min(start.top, start.bottom), std::max(start.top, start.bottom)};
    auto percent = [](double share) { return static_cast<SInt16>(std::lround(share * 100)); };
    config.sliders[0] = percent(zoomIn);
    config.sliders[1] = percent(zoomOut);
    config.sliders[2] = percent(overlay);
}

void DisposeImages(Images& images) {
    DisposeGWorld(images.source);
    DisposeGWorld(images.target);
    images.source = images.target = nullptr;
}

// Inside ffmpeg, melt or an editor the effect is a guest: a frame that
// cannot be rendered must not end the host. The engine's assertions unwind
// here instead; the port is put back and the effect's own images (whose
// state a broken render may have left half-changed) are made anew next time.
void RenderGuestFrame(const pluginDataRec& settings, Options options, std::int64_t position, std::int64_t frames,
                      const Frame& frame, Images& images) {
    pluginDataRec config = settings;
    const Step step = StepAt(config, options, position, frames);
    if (options.smooth && !config.sliders[2]) {
        // The sampler reads any byte order and no current port: straight from
        // the host's frame into its output.
        if (!ResampleRegion(frame.in, frame.out, static_cast<int>(frame.width), static_cast<int>(frame.height),
                            frame.width, SmoothRegion(frame, step)))
            ShowSource(frame);
        return;
    }
    // The current port is this thread's own: frames render beside other
    // threads' frames, and the caller's port is put back.
    CGrafPtr port;
    GDHandle device;
    GetGWorld(&port, &device);
    struct Handler {
        Handler() { SetAssertionHandler(Unwind); }
        ~Handler() { SetAssertionHandler(nullptr); }
    } handler;
    try {
        RenderInPorts(config, options, frame, step, images);
        SetGWorld(port, device);
    } catch (...) {  // an assertion, or an allocation the platform could not make: nothing may reach the host
        SetGWorld(port, device);
        DisposeImages(images);
        ShowSource(frame);
    }
}

}  // namespace mvguest
