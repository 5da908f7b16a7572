#include "session/HostCallbacks.h"

#include <cstring>

#include "frames/Blit.h"
#include "common/HostError.h"
#include "memory/MacMemory.h"

namespace mv {

namespace {

constexpr SInt16 kInterfaceVersion = 5;
constexpr SInt16 kFullVolume = 256;

HostSession& sessionOf(void* instance) { return *static_cast<HostSession*>(instance); }

// Every callback keeps exceptions on the host's side of the boundary.
template <typename F>
HYPluginResult guarded(void* instance, F&& f) {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        sessionOf(instance).noteError("out of memory");
        return kPluginOutOfMemory;
    } catch (const std::exception& e) {
        sessionOf(instance).noteError(e.what());
        return kPluginFailed;
    }
}

ArgbView viewOfPixMap(PixMapHandle pm) {
    if (!pm || !*pm) return {};
    const PixMap& p = **pm;
    return {reinterpret_cast<std::uint8_t*>(p.baseAddr), static_cast<int>(p.rowBytes),
            p.bounds.right - p.bounds.left, p.bounds.bottom - p.bounds.top};
}

void* cbNewPtr(UInt32 size) { return ::NewPtr(static_cast<Size>(size)); }
void* cbNewPtrClear(UInt32 size) { return ::NewPtrClear(static_cast<Size>(size)); }
void cbDisposePtr(void* block) { ::DisposePtr(static_cast<Ptr>(block)); }

void cbPtoCstr(ConstStr255Param src, char* dst) {
    if (!src || !dst) return;
    std::memmove(dst, src + 1, src[0]);
    dst[src[0]] = '\0';
}

void cbCtoPstr(const char* src, StringPtr dst) {
    if (!src || !dst) return;
    std::size_t n = std::min<std::size_t>(std::strlen(src), 255);
    std::memmove(dst + 1, src, n);
    dst[0] = static_cast<unsigned char>(n);
}

void cbPstrcpy(StringPtr dst, ConstStr255Param src) {
    if (src && dst) std::memmove(dst, src, static_cast<std::size_t>(src[0]) + 1);
}

char* cbStrcpy(char* dst, const char* src) { return std::strcpy(dst, src); }
UInt32 cbStrlen(const char* text) { return text ? static_cast<UInt32>(std::strlen(text)) : 0; }

// The host has no localised texts of its own: an empty text.
void cbGetLocalizedString(void*, SInt16, char* text, UInt32 capacity) {
    if (text && capacity > 0) text[0] = '\0';
}

HYPluginResult cbGetFrame(void* instance, SInt32 frame, GWorldPtr* world, SInt16 width, SInt16 height,
                          HYRefDVQuality quality, SInt16* volume, void** cookie) {
    return guarded(instance, [&] { return sessionOf(instance).getFrame(frame, world, width, height, quality, volume, cookie); });
}

HYPluginResult cbReleaseFrame(void* instance, void* cookie) {
    return guarded(instance, [&] { return sessionOf(instance).releaseFrame(cookie); });
}

HYPluginResult cbGetAudioFrame(void*, SInt32, void**, SInt32*, void**) { return kPluginUnimplemented; }
HYPluginResult cbReleaseAudioFrame(void*, void*) { return kPluginUnimplemented; }
HYPluginResult cbGetMovieInfo(void*, void*) { return kPluginUnimplemented; }
HYPluginResult cbGetClipInfo(void*, SInt32, void*) { return kPluginUnimplemented; }
HYPluginResult cbSetClipInfo(void*, SInt32, const void*) { return kPluginUnimplemented; }

HYPluginResult cbBlit(PixMapHandle src, PixMapHandle dst, const Rect* srcRect, const Rect* dstRect,
                      SInt16 opacity) {
    ArgbView s = viewOfPixMap(src), d = viewOfPixMap(dst);
    if (!s.data || !d.data || !srcRect || !dstRect) return kPluginBadParams;
    // Rectangles are in each map's own coordinates.
    Rect sr = *srcRect, dr = *dstRect;
    const Rect& sb = (**src).bounds;
    const Rect& db = (**dst).bounds;
    sr = {static_cast<SInt16>(sr.top - sb.top), static_cast<SInt16>(sr.left - sb.left),
          static_cast<SInt16>(sr.bottom - sb.top), static_cast<SInt16>(sr.right - sb.left)};
    dr = {static_cast<SInt16>(dr.top - db.top), static_cast<SInt16>(dr.left - db.left),
          static_cast<SInt16>(dr.bottom - db.top), static_cast<SInt16>(dr.right - db.left)};
    blitOver(s, d, sr, dr, opacity);
    return kPluginOK;
}

HYPluginResult cbFillRect(PixMapHandle dst, const Rect* area, const RGBColor* color) {
    ArgbView d = viewOfPixMap(dst);
    if (!d.data || !area || !color) return kPluginBadParams;
    const Rect& b = (**dst).bounds;
    Rect a{static_cast<SInt16>(area->top - b.top), static_cast<SInt16>(area->left - b.left),
           static_cast<SInt16>(area->bottom - b.top), static_cast<SInt16>(area->right - b.left)};
    fillArea(d, a, static_cast<std::uint8_t>(color->red >> 8), static_cast<std::uint8_t>(color->green >> 8),
             static_cast<std::uint8_t>(color->blue >> 8));
    return kPluginOK;
}

HYPluginResult cbTextBounds(void*, const char*, Rect*) { return kPluginUnimplemented; }
HYPluginResult cbDrawText(void*, GWorldPtr, const char*, const Rect*) { return kPluginUnimplemented; }
HYPluginResult cbGetTitleInfo(void*, void**) { return kPluginUnimplemented; }
HYPluginResult cbReleaseTitleInfo(void*, void*) { return kPluginUnimplemented; }
HYPluginResult cbGetTransitionInfo(void*, void**) { return kPluginUnimplemented; }
HYPluginResult cbReleaseTransitionInfo(void*, void*) { return kPluginUnimplemented; }

HYPluginResult cbMixAudio(void* instance, void* cookie, SInt32 level) {
    return guarded(instance, [&] { return sessionOf(instance).mixAudio(cookie, level); });
}

HYPluginResult cbGetFilterInfo(void* instance, HYPluginFilterInfo** info) {
    return guarded(instance, [&] { return sessionOf(instance).getFilterInfo(info); });
}

// The record belongs to the session; nothing to give back.
HYPluginResult cbReleaseFilterInfo(void*, HYPluginFilterInfo*) { return kPluginOK; }

float cbStringWidth(void*, const char*) { return 0.0f; }
HYPluginResult cbCGDrawText(void*, void*, const char*, const Rect*) { return kPluginUnimplemented; }
float cbCGStringWidth(void*, void*, const char*) { return 0.0f; }

}  // namespace

ArgbView viewOf(GWorldPtr world) {
    PixMapHandle pm = GetGWorldPixMap(world);
    Rect bounds;
    GetPortBounds(world, &bounds);
    return {reinterpret_cast<std::uint8_t*>(GetPixBaseAddr(pm)), static_cast<int>(GetPixRowBytes(pm)),
            bounds.right - bounds.left, bounds.bottom - bounds.top};
}

GWorldPtr newFrameWorld(int width, int height) {
    Rect bounds{0, 0, static_cast<SInt16>(height), static_cast<SInt16>(width)};
    GWorldPtr world = nullptr;
    QDErr err = NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0);
    if (err != noErr || !world)
        fail("cannot make a " + std::to_string(width) + "x" + std::to_string(height) +
             " frame image (error " + std::to_string(err) + ")");
    return world;
}

HostSession::HostSession(Clip& clip) : clip_(clip) {
    if (clip.video) prefetcher_ = std::make_unique<FramePrefetcher>(*clip.video, clip.info.frameCount,
                                                                    clip.info.orientation, clip.info.colour);
    if (clip.audio) audio_ = std::make_unique<AudioTrack>(*clip.audio, clip.info.frameRate);
    procs_ = {cbNewPtr,        cbNewPtrClear,      cbDisposePtr,     cbPtoCstr,
              cbCtoPstr,       cbPstrcpy,          cbStrcpy,         cbStrlen,
              cbGetLocalizedString, cbGetFrame,    cbReleaseFrame,   cbGetAudioFrame,
              cbReleaseAudioFrame, cbGetMovieInfo, cbGetClipInfo,    cbSetClipInfo,
              cbBlit,          cbFillRect,         cbTextBounds,     cbDrawText,
              cbGetTitleInfo,  cbReleaseTitleInfo, cbGetTransitionInfo, cbReleaseTransitionInfo,
              cbMixAudio,      cbGetFilterInfo,    cbReleaseFilterInfo, cbStringWidth,
              cbCGDrawText,    cbCGStringWidth};
}

HostSession::~HostSession() {
    prefetcher_.reset();
    for (FrameCookie* c : cookies_) delete c;
}

HostSession::FramePool::~FramePool() {
    for (GWorldPtr w : worlds) DisposeGWorld(w);
}

HYPluginParams HostSession::newParams() {
    HYPluginParams params{};
    params.interfaceVersion = kInterfaceVersion;
    params.instance = this;
    params.procs = &procs_;
    return params;
}

void HostSession::setRange(std::int64_t first, std::int64_t last) {
    first_ = first;
    last_ = last;
}

void HostSession::beginOutputFrame(std::int64_t, float* sound, int length) {
    sound_ = sound;
    soundLength_ = length;
}

// Whether the current pool has frames of this size and one not lent.
bool HostSession::poolServes(int width, int height) const {
    return pool_ && pool_->width == width && pool_->height == height &&
           pool_->lent < static_cast<int>(pool_->worlds.size());
}

// A pool that serves the size; an old pool is dropped here and freed once
// its last lent frame comes back.
void HostSession::preparePool(int width, int height) {
    if (poolServes(width, height)) return;
    auto pool = std::make_shared<FramePool>();
    pool->id = ++pools_;
    pool->width = width;
    pool->height = height;
    for (int i = 0, n = framesInFlight(width, height); i < n; ++i) pool->worlds.push_back(newFrameWorld(width, height));
    pool_ = std::move(pool);
}

HYPluginResult HostSession::getFrame(SInt32 frame, GWorldPtr* world, SInt16 width, SInt16 height,
                                     HYRefDVQuality quality, SInt16* volume, void** cookie) {
    if (!world || !cookie || width <= 0 || height <= 0) return kPluginBadParams;
    *world = nullptr;
    *cookie = nullptr;
    if (!prefetcher_ || frame < 0 || frame >= clip_.info.frameCount) {
        frameError_ = clip_.info.name + " has no frame " + std::to_string(frame) + " (it has " +
                      std::to_string(clip_.info.frameCount) + ")";
        return kPluginCantGetNeededFrame;
    }
    ScaleQuality q = quality == kDVLowQuality ? ScaleQuality::Fast : ScaleQuality::Good;
    // Any request the running plan does not deliver next starts a new one:
    // a jump, a step back, a frame past the plan's end, another size.
    if (!poolServes(width, height) || q != quality_ || !prefetcher_->deliversNext(frame)) {
        prefetcher_->stop();
        preparePool(width, height);
        quality_ = q;
        std::vector<ArgbView> views;
        for (GWorldPtr w : pool_->worlds) views.push_back(viewOf(w));
        std::int64_t last = frame >= first_ && frame <= last_ ? last_ : frame;
        prefetcher_->start(frame, last, pool_->id, std::move(views), q);
    }
    FramePrefetcher::Ready ready = prefetcher_->take();
    if (ready.slot < 0) {
        frameError_ = clip_.info.name + ": " + ready.error;
        return kPluginCantGetNeededFrame;
    }
    std::unique_ptr<FrameCookie> c;
    try {
        c = std::make_unique<FrameCookie>(FrameCookie{pool_, ready.slot, ready.index});
        cookies_.insert(c.get());
    } catch (...) {
        prefetcher_->giveBack(pool_->id, ready.slot);  // not lent after all
        throw;
    }
    ++pool_->lent;
    *world = pool_->worlds[ready.slot];
    *cookie = c.release();
    if (volume) *volume = kFullVolume;
    return kPluginOK;
}

HYPluginResult HostSession::releaseFrame(void* cookie) {
    // A null cookie is a frame that was never delivered: nothing to give back.
    if (!cookie) return kPluginOK;
    auto* c = static_cast<FrameCookie*>(cookie);
    if (!cookies_.erase(c)) return kPluginBadParams;
    --c->pool->lent;
    prefetcher_->giveBack(c->pool->id, c->slot);
    delete c;  // a retired pool goes with its last frame
    return kPluginOK;
}

HYPluginResult HostSession::mixAudio(void* cookie, SInt32 level) {
    auto* c = static_cast<FrameCookie*>(cookie);
    if (!c || !cookies_.count(c)) return kPluginBadParams;
    if (!audio_ || !sound_) return kPluginOK;
    audio_->mix(c->index, static_cast<float>(level) / 256.0f, sound_, soundLength_);
    return kPluginOK;
}

HYPluginResult HostSession::getFilterInfo(HYPluginFilterInfo** info) {
    if (!info) return kPluginBadParams;
    for (int i = 0; i < 3; ++i) filterInfo_.sliderValues[i] = filter_.sliders[i];
    filterInfo_.fadeInFrames = filter_.fadeInFrames;
    filterInfo_.fadeOutFrames = filter_.fadeOutFrames;
    *info = &filterInfo_;
    return kPluginOK;
}

}  // namespace mv
