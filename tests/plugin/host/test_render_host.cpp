#include "test_render_host.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "config/DataHandling.h"
#include "config/PluginDefines.h"
#include "config/prefsloader.h"
#include "memory/MacMemory.h"

namespace fs = std::filesystem;

namespace rendertest {
namespace {

HostScript gScript;

// One frame the host lent out; the cookie points at it.
struct Lent {
    GWorldPtr world;
    bool owned;
};

std::uint8_t* Row(PixMapHandle pm, int y) {
    return reinterpret_cast<std::uint8_t*>(GetPixBaseAddr(pm)) + static_cast<std::ptrdiff_t>(y) * GetPixRowBytes(pm);
}

std::uint32_t Load(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void Store(std::uint8_t* p, std::uint32_t argb) {
    p[0] = static_cast<std::uint8_t>(argb >> 24);
    p[1] = static_cast<std::uint8_t>(argb >> 16);
    p[2] = static_cast<std::uint8_t>(argb >> 8);
    p[3] = static_cast<std::uint8_t>(argb);
}

void* HostNewPtrClear(UInt32 size) {
    ++gScript.newPtrClearCalls;
    if (gScript.newPtrClearCalls == gScript.failNewPtrClearCall) return nullptr;
    Ptr p = NewPtrClear(static_cast<Size>(size));
    if (p) ++gScript.liveBlocks;
    return p;
}

void HostDisposePtr(void* block) {
    ++gScript.disposePtrCalls;
    if (block) --gScript.liveBlocks;
    DisposePtr(static_cast<Ptr>(block));
}

HYPluginResult HostGetFrame(void*, SInt32 frame, GWorldPtr* theGW, SInt16 width, SInt16 height,
                            HYRefDVQuality quality, SInt16* volume, void** cookie) {
    gScript.getFrames.push_back({frame, width, height, quality});
    if (gScript.getFrameResult != kPluginOK) return gScript.getFrameResult;
    *volume = 256;
    if (gScript.preparedFrame) {
        *theGW = gScript.preparedFrame;
        *cookie = new Lent{gScript.preparedFrame, false};
        return kPluginOK;
    }
    GWorldPtr gw = MakeWorld(width, height);
    PixMapHandle pm = GetGWorldPixMap(gw);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) Store(Row(pm, y) + 4 * x, SourcePixel(x, y, frame));
    *theGW = gw;
    *cookie = new Lent{gw, true};
    return kPluginOK;
}

HYPluginResult HostReleaseFrame(void*, void* cookie) {
    gScript.releases.push_back(cookie);
    if (auto* lent = static_cast<Lent*>(cookie)) {
        if (lent->owned) DisposeGWorld(lent->world);
        delete lent;
    }
    return gScript.releaseResult;
}

std::uint8_t Mix(std::uint32_t s, std::uint32_t d, int shift, int opacity) {
    const int sc = (s >> shift) & 0xFF;
    const int dc = (d >> shift) & 0xFF;
    return static_cast<std::uint8_t>((sc * opacity + dc * (255 - opacity) + 127) / 255);
}

HYPluginResult HostBlit(PixMapHandle src, PixMapHandle dst, const Rect* srcRect, const Rect* dstRect,
                        SInt16 opacity) {
    gScript.blits.push_back({*srcRect, *dstRect, opacity});
    if (gScript.blitResult != kPluginOK) return gScript.blitResult;
    const int w = dstRect->right - dstRect->left;
    const int h = dstRect->bottom - dstRect->top;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t s = Load(Row(src, srcRect->top + y) + 4 * (srcRect->left + x));
            std::uint8_t* dp = Row(dst, dstRect->top + y) + 4 * (dstRect->left + x);
            const std::uint32_t d = Load(dp);
            Store(dp, std::uint32_t{Mix(s, d, 24, opacity)} << 24 | std::uint32_t{Mix(s, d, 16, opacity)} << 16 |
                          std::uint32_t{Mix(s, d, 8, opacity)} << 8 | Mix(s, d, 0, opacity));
        }
    }
    return kPluginOK;
}

HYPluginResult HostMixAudio(void*, void*, SInt32 level) {
    ++gScript.mixCalls;
    gScript.mixLevel = level;
    return gScript.mixResult;
}

HYPluginResult HostGetFilterInfo(void*, HYPluginFilterInfo** info) {
    *info = gScript.deliverFilterInfo ? &gScript.filterInfo : nullptr;
    return gScript.filterInfoResult;
}

HYPluginResult HostReleaseFilterInfo(void*, HYPluginFilterInfo*) {
    ++gScript.filterReleases;
    return kPluginOK;
}

std::string FindBundleLibrary() {
    const char* dir = std::getenv("MV_BUILD_DIR");
    if (!dir) throw std::runtime_error("MV_BUILD_DIR is not set");
    for (const auto& base : {fs::path(dir), fs::path(dir) / "bin", fs::path(dir) / "plugin"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(base, ec)) {
            if (entry.path().extension() != ".bundle") continue;
            for (const auto& lib : fs::directory_iterator(entry.path() / "Contents" / "Linux", ec))
                if (lib.path().extension() == ".so") return lib.path().string();
        }
    }
    throw std::runtime_error(std::string("no built bundle under ") + dir);
}

const Course kCourse{0.25, 0.75, 0.25, 0.75, 10, 50, 0};

// The settings the bundle finds at start-up, in a folder of the test's own.
void PrepareSettings() {
    char dirTemplate[] = "/tmp/mv-render-test-XXXXXX";
    if (!mkdtemp(dirTemplate)) throw std::runtime_error("cannot make a temporary settings folder");
    static const std::string settingsDir = dirTemplate;
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(settingsDir, ec);
    });
    setenv("XDG_CONFIG_HOME", dirTemplate, 1);
    pluginDataRec config{};
    ResetConfig(&config, true);
    config.startRel = relRect{kCourse.left, kCourse.right, kCourse.top, kCourse.bottom};
    config.sliders[0] = kCourse.zoomIn;
    config.sliders[1] = kCourse.zoomOut;
    config.sliders[2] = kCourse.overlay;
    CreateConfigFile();
    if (!SaveConfig(&config)) throw std::runtime_error("cannot write the test's settings");
}

}  // namespace

std::uint32_t SourcePixel(int x, int y, SInt32 frame) {
    return 0xFF000000u | std::uint32_t((x * 5 + frame) & 0xFF) << 16 | std::uint32_t((y * 3) & 0xFF) << 8 |
           std::uint32_t((x ^ y ^ (frame * 37)) & 0xFF);
}

GWorldPtr MakeWorld(int width, int height) {
    Rect r{0, 0, static_cast<SInt16>(height), static_cast<SInt16>(width)};
    GWorldPtr gw = nullptr;
    if (NewGWorld(&gw, 32, &r, nullptr, nullptr, 0) != noErr) throw std::runtime_error("NewGWorld failed");
    return gw;
}

Image ReadWorld(GWorldPtr gw) {
    Rect b;
    GetPortBounds(gw, &b);
    Image img{b.right - b.left, b.bottom - b.top, {}};
    img.px.resize(static_cast<size_t>(img.width) * img.height);
    PixMapHandle pm = GetGWorldPixMap(gw);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) img.px[static_cast<size_t>(y) * img.width + x] = Load(Row(pm, y) + 4 * x);
    return img;
}

std::uint32_t PixelAt(GWorldPtr gw, int x, int y) { return Load(Row(GetGWorldPixMap(gw), y) + 4 * x); }

void FillWorld(GWorldPtr gw, std::uint32_t argb) {
    Rect b;
    GetPortBounds(gw, &b);
    PixMapHandle pm = GetGWorldPixMap(gw);
    for (int y = 0; y < b.bottom - b.top; ++y)
        for (int x = 0; x < b.right - b.left; ++x) Store(Row(pm, y) + 4 * x, argb);
}

HYPluginEntryProc BundleMain() {
    static const HYPluginEntryProc entry = [] {
        PrepareSettings();
        const std::string lib = FindBundleLibrary();
        void* handle = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) throw std::runtime_error(std::string("dlopen: ") + dlerror());
        auto* sym = reinterpret_cast<HYPluginEntryProc>(dlsym(handle, "main"));
        if (!sym) throw std::runtime_error("the bundle exports no main");
        return sym;
    }();
    return entry;
}

const Course& StartCourse() { return kCourse; }

TestHost::TestHost() {
    procs_.NewPtrClear = HostNewPtrClear;
    procs_.DisposePtr = HostDisposePtr;
    procs_.GetFrame = HostGetFrame;
    procs_.ReleaseFrame = HostReleaseFrame;
    procs_.Blit = HostBlit;
    procs_.MixAudio = HostMixAudio;
    procs_.GetFilterInfo = HostGetFilterInfo;
    procs_.ReleaseFilterInfo = HostReleaseFilterInfo;
    params_.interfaceVersion = 5;
    params_.instance = this;
    params_.procs = &procs_;
    gScript = HostScript{};
    Call(0);  // the first call of the process makes the working record
    gScript = HostScript{};
    SetOutput(64, 48);
    SetClip(0, 100);
}

TestHost::~TestHost() {
    if (params_.clientData) Call(kPlugTerminate);
    if (output_) DisposeGWorld(output_);
}

HostScript& TestHost::script() { return gScript; }

void TestHost::SetOutput(int width, int height, int left, int top) {
    if (output_) DisposeGWorld(output_);
    output_ = MakeWorld(left + width, top + height);
    FillWorld(output_, 0xFF123456u);
    params_.frame = output_;
    params_.frameRect = Rect{static_cast<SInt16>(top), static_cast<SInt16>(left), static_cast<SInt16>(top + height),
                             static_cast<SInt16>(left + width)};
}

void TestHost::SetClip(SInt32 startFrame, SInt32 frameCount, bool proxy) {
    params_.startFrame = startFrame;
    params_.frameCount = frameCount;
    params_.proxyOnly = proxy;
}

int TestHost::Call(HYPluginSelector selector) {
    params_.selector = selector;
    return BundleMain()(0, &params_);
}

int TestHost::RenderOne(SInt32 renderFrame) {
    const int begun = Call(kPlugInitialize);
    if (begun != kPluginOK) return begun;
    params_.renderFrame = renderFrame;
    const int result = Call(kPlugDoFrame);
    Call(kPlugTerminate);
    return result;
}

}  // namespace rendertest
