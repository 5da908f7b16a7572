// A host for the render tests: loads the built bundle with dlopen, resolves
// main, and answers the callbacks from a table each test can tell to fail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hyplugin/HYPlugin.h"
#include "quickdraw/QuickDraw.h"

namespace rendertest {

// The colour of source pixel (x, y) of host frame `frame`: every frame and
// every pixel tells where it came from. Alpha is opaque.
std::uint32_t SourcePixel(int x, int y, SInt32 frame);

// A 32-bit image with its pixels read as 0xAARRGGBB words.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> px;
    std::uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};
Image ReadWorld(GWorldPtr gw);
std::uint32_t PixelAt(GWorldPtr gw, int x, int y);
void FillWorld(GWorldPtr gw, std::uint32_t argb);
GWorldPtr MakeWorld(int width, int height);

struct GetFrameCall {
    SInt32 frame;
    SInt16 width, height;
    HYRefDVQuality quality;
};
struct BlitCall {
    Rect srcRect, dstRect;
    SInt16 opacity;
};

// What the host answers, and what it saw. Reset for every test.
struct HostScript {
    // NewPtrClear calls counted from 1; the one with this number gives null.
    int failNewPtrClearCall = 0;
    HYPluginResult getFrameResult = kPluginOK;
    HYPluginResult releaseResult = kPluginOK;
    HYPluginResult blitResult = kPluginOK;
    HYPluginResult mixResult = kPluginOK;
    HYPluginResult filterInfoResult = kPluginOK;
    bool deliverFilterInfo = true;
    HYPluginFilterInfo filterInfo{{0.5f, 0.5f, 0.5f}, 0, 0};
    // Handed out by GetFrame instead of a new frame when set (not disposed).
    GWorldPtr preparedFrame = nullptr;

    int newPtrClearCalls = 0;
    int disposePtrCalls = 0;
    int liveBlocks = 0;
    std::vector<GetFrameCall> getFrames;
    std::vector<void*> releases;
    std::vector<BlitCall> blits;
    int mixCalls = 0;
    int mixLevel = 0;
    int filterReleases = 0;
};

// The host: one parameter block, one output frame, the loaded bundle.
class TestHost {
public:
    TestHost();
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    HostScript& script();
    HYPluginParams& params() { return params_; }
    GWorldPtr output() const { return output_; }

    // Output frame of this size; frameRect covers it at (left, top).
    void SetOutput(int width, int height, int left = 0, int top = 0);
    void SetClip(SInt32 startFrame, SInt32 frameCount, bool proxy = false);
    int Call(HYPluginSelector selector);
    // kPlugInitialize, one kPlugDoFrame at renderFrame, kPlugTerminate;
    // the frame's result.
    int RenderOne(SInt32 renderFrame);

private:
    HYProcs procs_{};
    HYPluginParams params_{};
    GWorldPtr output_ = nullptr;
};

// The bundle's main, loaded once per process; the settings folder is a
// fresh temporary one holding the given start region before the first call.
HYPluginEntryProc BundleMain();
// The start region and sliders the bundle was started with.
struct Course {
    double left, right, top, bottom;
    SInt16 zoomIn, zoomOut, overlay;
};
const Course& StartCourse();

}  // namespace rendertest
