// The host's side of the plug-in interface: the callback table and the
// session it serves (the clip, its frames and sound, the user's fades and
// sliders). The plug-in's own records stay opaque here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "session/AudioTrack.h"
#include "clip/FramePrefetcher.h"
#include "clip/Source.h"
#include "hyplugin/HYPlugin.h"

namespace mv {

struct FilterSettings {
    std::array<float, 3> sliders{0.5f, 0.5f, 0.5f};
    std::int32_t fadeInFrames = 0;
    std::int32_t fadeOutFrames = 0;
};

class HostSession {
public:
    explicit HostSession(Clip& clip);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // A parameter block that points back at this session.
    HYPluginParams newParams();
    void setFilterSettings(const FilterSettings& settings) { filter_ = settings; }
    // Source frames the run will ask for, in order; others are fetched on demand.
    void setRange(std::int64_t first, std::int64_t last);
    // Where the sound of output frame `index` goes (null: the output has none).
    void beginOutputFrame(std::int64_t index, float* sound, int length);
    // Why the last frame request failed; empty if none did.
    const std::string& frameError() const { return frameError_; }
    void noteError(const std::string& text) { frameError_ = text; }

    HYPluginResult getFrame(SInt32 frame, GWorldPtr* world, SInt16 width, SInt16 height,
                            HYRefDVQuality quality, SInt16* volume, void** cookie);
    HYPluginResult releaseFrame(void* cookie);
    HYPluginResult mixAudio(void* cookie, SInt32 level);
    HYPluginResult getFilterInfo(HYPluginFilterInfo** info);

private:
    // Frame images of one size that the prefetcher decodes into and the
    // plug-in is lent. A pool replaced while frames are still lent lives on
    // until the last of them comes back.
    struct FramePool {
        std::uint64_t id = 0;
        int width = 0, height = 0;
        std::vector<GWorldPtr> worlds;
        int lent = 0;
        ~FramePool();
    };
    struct FrameCookie {
        std::shared_ptr<FramePool> pool;
        int slot;
        std::int64_t index;
    };
    bool poolServes(int width, int height) const;
    void preparePool(int width, int height);

    Clip& clip_;
    HYProcs procs_{};
    std::unique_ptr<FramePrefetcher> prefetcher_;  // null for a session without a clip
    std::unique_ptr<AudioTrack> audio_;
    FilterSettings filter_;
    HYPluginFilterInfo filterInfo_{};
    std::shared_ptr<FramePool> pool_;
    std::uint64_t pools_ = 0;  // pools made so far
    ScaleQuality quality_ = ScaleQuality::Good;
    std::int64_t first_ = 0, last_ = -1;
    std::set<FrameCookie*> cookies_;
    std::string frameError_;
    float* sound_ = nullptr;
    int soundLength_ = 0;
};

// A 32-bit offscreen world's pixels as a view.
ArgbView viewOf(GWorldPtr world);
// A new offscreen world of width x height; throws HostError when it cannot be had.
GWorldPtr newFrameWorld(int width, int height);

}  // namespace mv
