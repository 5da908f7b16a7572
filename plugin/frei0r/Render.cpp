// The filter's per-frame work: the host's time turned into a frame position,
// and the frame rendered by the effect's own engine exactly as the bundle
// renders it (or, with the options, along an eased course or by a sub-pixel
// crop): in the host's own frames, or, where the overlay blends by the A
// byte, in the effect's A, R, G, B images and handed back.
#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "engine/callPixelFX.h"
#include "engine/imageProcs.h"
#include "engine/lineEffect.h"
#include "frei0r/FilterState.h"
#include "frei0r/Resample.h"
#include "util/Diagnostics.h"

namespace mvfrei0r {

namespace {

// The drawing platform keeps one current port for the process: one frame at
// a time, whichever instance or thread asks.
std::mutex gRenderLock;

// The whole frame, in the drawing platform's coordinates.
Rect FrameBounds(const Instance& instance) {
    return Rect{0, 0, static_cast<SInt16>(instance.height), static_cast<SInt16>(instance.width)};
}

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

std::optional<relRect> RectOfText(const std::string& text, unsigned width, unsigned height) {
    std::string_view value(text);
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
    auto edge = [](double e) { return std::clamp(e, 0.0, 1.0); };
    const double left = edge(std::min(v[0], v[0] + v[2])), right = edge(std::max(v[0], v[0] + v[2]));
    const double top = edge(std::min(v[1], v[1] + v[3])), bottom = edge(std::max(v[1], v[1] + v[3]));
    if (left == 0 && top == 0 && right == 1 && bottom == 1) return std::nullopt;
    return relRect{left, right, top, bottom};
}

// The effect's configuration and timing for the parameters as they stand.
static void ApplyParameters(Instance& instance) {
    const Parameters& p = instance.params;
    instance.config.startRel = relRect{std::min(p.left, p.right), std::max(p.left, p.right), std::min(p.top, p.bottom),
                                       std::max(p.top, p.bottom)};
    if (const auto drawn = RectOfText(instance.rect, instance.width, instance.height)) instance.config.startRel = *drawn;
    instance.config.sliders[0] = Percent(p.zoomIn);
    instance.config.sliders[1] = Percent(p.zoomOut);
    instance.config.sliders[2] = Percent(p.overlay);
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

namespace {

double Mix(double from, double to, double t) { return from + t * (to - from); }

// Where a frame stands on the course: its stretch, how far along it (eased
// if asked), and whether the smooth sampler draws it. Without the clip's
// length there is no course: the region is held.
struct Step {
    SInt32 position, frames;
    CourseLeg leg;
    double t;
    bool shaped, smooth;
    bool held = false;  // no course: the region stands
};

// The clip's length: from an animated course where it has moved off its
// start (its value there is the position over the length less one), else
// as given.
std::int64_t ClipFrames(const Instance& instance, std::int64_t position) {
    const double course = instance.params.course;
    if (course > 0 && position > 0) return std::llround(std::min(position / course + 1, 2147483647.0));
    return instance.timing.clipFrames;
}

Step StepAt(Instance& instance, std::int64_t position) {
    const Parameters& p = instance.params;
    Step step{static_cast<SInt32>(position), static_cast<SInt32>(ClipFrames(instance, position)), {}, 0, false, false};
    if (step.frames < 1) {
        step.position = 0;
        step.frames = 1;
        const relRect start = instance.config.startRel;
        step.leg = CourseLeg{0, 0, start, start};
        step.held = true;
        return step;
    }
    step.leg = CalcCourseLeg(&instance.config, step.position, step.frames);
    step.shaped = p.smooth > 0.5 || p.easing > 0.5;
    if (step.leg.endFrame > step.leg.startFrame) {
        const double t = std::clamp(double(position - step.leg.startFrame) / (step.leg.endFrame - step.leg.startFrame),
                                    0.0, 1.0);
        step.t = p.easing > 0.5 ? t * t * (3 - 2 * t) : t;
    }
    // Where the course stands still (its start, its hold, its end) the frame is the exact one.
    step.smooth = p.smooth > 0.5 && step.t > 0 && step.t < 1;
    return step;
}

// The smooth crop glides between the exact course's whole-pixel regions at
// the stretch's ends, so it meets them without a jump.
RegionF SmoothRegion(const Instance& instance, const Step& step) {
    const Rect frame = FrameBounds(instance);
    Rect from = Rel2Rect(step.leg.from, frame), to = Rel2Rect(step.leg.to, frame);
    CheckRect(from, frame);
    CheckRect(to, frame);
    const double left = Mix(from.left, to.left, step.t), right = Mix(from.right, to.right, step.t);
    const double top = Mix(from.top, to.top, step.t), bottom = Mix(from.bottom, to.bottom, step.t);
    return RegionF{std::min(left, right), std::max(left, right), std::min(top, bottom), std::max(top, bottom)};
}

// The images a frame is rendered from and into.
struct Images {
    GWorldPtr source, target;
};

bool RenderSmooth(const Instance& instance, Images images, const Step& step) {
    PixMapHandle in = GetGWorldPixMap(images.source), out = GetGWorldPixMap(images.target);
    return ResampleRegion(reinterpret_cast<const std::uint32_t*>(GetPixBaseAddr(in)),
                   reinterpret_cast<std::uint32_t*>(GetPixBaseAddr(out)), static_cast<int>(instance.width),
                   static_cast<int>(instance.height), GetPixRowBytes(out) / 4, SmoothRegion(instance, step));
}

// The course with easing, drawn by the effect's renderer.
void RenderEased(pluginDataRec& config, Images images, const Step& step) {
    const CourseLeg& leg = step.leg;
    const relRect region{Mix(leg.from.left, leg.to.left, step.t), Mix(leg.from.right, leg.to.right, step.t),
                         Mix(leg.from.top, leg.to.top, step.t), Mix(leg.from.bottom, leg.to.bottom, step.t)};
    PixelDrive(images.source, images.target, Rel2Rect(region, GetPortRect(images.target)), &config, step.position,
               step.frames);
}

// The zoom by the step's way, then the overlay where asked. The overlay is
// laid here rather than by the renderer so that a source image that cannot
// be had leaves the zoom alone instead of ending the host's process. False
// when the smooth sampler could not run (no memory).
bool Render(const Instance& instance, Images images, const Step& step, bool overlay) {
    pluginDataRec config = instance.config;
    config.sliders[2] = 0;
    if (step.held) config.sliders[0] = config.sliders[1] = 0;
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    bool rendered = true;
    if (step.smooth)
        rendered = RenderSmooth(instance, images, step);
    else if (step.shaped)
        RenderEased(config, images, step);
    else
        DoPascalPixelEffect(images.source, images.target, &config, step.position, step.frames);
    if (rendered && overlay && instance.config.sliders[2] > 0)
        LayOverSource(images.source, images.target, GetPortRect(images.target), instance.config.sliders[2]);
    SetGWorld(savedPort, savedDevice);
    return rendered;
}

// The effect's own A, R, G, B images, made when the overlay first needs them.
bool HaveImages(Instance& instance) {
    if (instance.source && instance.target) return true;
    const Rect bounds = FrameBounds(instance);
    if (!instance.source && NewGWorld(&instance.source, 32, &bounds, nullptr, nullptr, 0) != noErr) return false;
    return NewGWorld(&instance.target, 32, &bounds, nullptr, nullptr, 0) == noErr;
}

// Every region of the course covers at least a pixel each way when the start
// region does, since the course only ever widens it toward the whole frame;
// then the render overwrites the whole output.
bool CourseCoversTheFrame(const Instance& instance) {
    const Rect frame = FrameBounds(instance);
    Rect start = Rel2Rect(instance.config.startRel, frame);
    CheckRect(start, frame);
    return start.right > start.left && start.bottom > start.top;
}

// Without the overlay the renderer only moves whole pixels, whatever their
// byte order, so it renders the host's frames themselves: no turning them
// into the effect's A, R, G, B images and back. The bundle's host copies
// the source into the output first; that copy is made only where the render
// may leave part of the output alone.
bool RenderInPlace(Instance& instance, const Step& step, const std::uint32_t* inframe, std::uint32_t* outframe) {
    const Rect bounds = FrameBounds(instance);
    const auto rowBytes = static_cast<SInt32>(instance.width * 4);
    // Disposed of however the render ends, an unwinding failure included.
    using World = std::unique_ptr<std::remove_pointer_t<GWorldPtr>, decltype(&DisposeGWorld)>;
    auto over = [&](const std::uint32_t* pixels) {
        GWorldPtr world = nullptr;
        NewGWorldFromPtr(&world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0,
                         reinterpret_cast<Ptr>(const_cast<std::uint32_t*>(pixels)), rowBytes);
        return World(world, DisposeGWorld);
    };
    const World source = over(inframe), target = over(outframe);
    if (!source || !target) return false;
    if (!CourseCoversTheFrame(instance))
        std::memcpy(outframe, inframe, std::size_t{instance.width} * instance.height * 4);
    return Render(instance, Images{source.get(), target.get()}, step, false);
}

}  // namespace

void DisposeImages(Instance& instance) {
    const std::lock_guard lock(gRenderLock);
    DisposeGWorld(instance.source);
    DisposeGWorld(instance.target);
    instance.source = instance.target = nullptr;
}

namespace {

// A failed assertion while a frame is rendered: unwound to RenderFrame.
struct FrameFailed {};
[[noreturn]] void Unwind(const char*) { throw FrameFailed{}; }

// The frame as it came, and one line the first time, for the host's log.
void ShowSource(const std::uint32_t* inframe, std::uint32_t* outframe, const Instance& instance) {
    std::memcpy(outframe, inframe, std::size_t{instance.width} * instance.height * 4);
    static std::atomic_flag told = ATOMIC_FLAG_INIT;
    if (!told.test_and_set())
        std::fputs("morvatelle: a frame could not be rendered (out of memory); it is shown as it came, and "
                   "each later frame tries again\n",
                   stderr);
}

void RenderLocked(Instance& instance, const Step& step, const std::uint32_t* inframe, std::uint32_t* outframe) {
    // The overlay blends by the A byte: it is laid in the effect's own images.
    // Without them (no memory) the zoom comes alone; without even that, the frame.
    if (!instance.config.sliders[2] || !HaveImages(instance)) {
        if (!RenderInPlace(instance, step, inframe, outframe)) ShowSource(inframe, outframe, instance);
        return;
    }
    ToEffect(inframe, instance.source, instance.width, instance.height);
    const Rect bounds = FrameBounds(instance);
    CopyBits(GetPortBitMapForCopyBits(instance.source), GetPortBitMapForCopyBits(instance.target), &bounds, &bounds,
             srcCopy, nullptr);
    if (Render(instance, Images{instance.source, instance.target}, step, true))
        ToHost(instance.target, outframe, instance.width, instance.height);
    else
        ShowSource(inframe, outframe, instance);
}

}  // namespace

// Inside ffmpeg, melt or an editor the filter is a guest: a frame that
// cannot be rendered must not end the host. The engine's assertions unwind
// here instead; the port is put back and the effect's own images (whose
// state a broken render may have left half-changed) are made anew next time.
void RenderFrame(Instance& instance, double time, const std::uint32_t* inframe, std::uint32_t* outframe) {
    // Once a frame: a host sets every parameter before each frame (MLT does).
    ApplyParameters(instance);
    std::unique_lock lock(gRenderLock);
    const Step step = StepAt(instance, FramePosition(instance, time));
    if (step.smooth && !instance.config.sliders[2]) {
        // The sampler reads any byte order and no current port: straight from
        // the host's frame into its output, beside other instances' frames.
        lock.unlock();
        if (!ResampleRegion(inframe, outframe, static_cast<int>(instance.width), static_cast<int>(instance.height),
                            instance.width, SmoothRegion(instance, step)))
            ShowSource(inframe, outframe, instance);
        return;
    }
    CGrafPtr port;
    GDHandle device;
    GetGWorld(&port, &device);
    struct Handler {
        Handler() { SetAssertionHandler(Unwind); }
        ~Handler() { SetAssertionHandler(nullptr); }
    } handler;
    try {
        RenderLocked(instance, step, inframe, outframe);
    } catch (...) {  // an assertion, or an allocation the platform could not make: nothing may reach the host
        SetGWorld(port, device);
        DisposeGWorld(instance.source);
        DisposeGWorld(instance.target);
        instance.source = instance.target = nullptr;
        ShowSource(inframe, outframe, instance);
    }
}

}  // namespace mvfrei0r
