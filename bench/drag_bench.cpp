// One step of a drag on the clip control at the dialog's largest preview
// (960 x 540, the HD layout): storing the rectangle, rendering the preview
// again and drawing it with its outline and handles. Measured beside an
// uncached copy of one 960 x 540 frame; the step should cost at most four.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "config/DataHandling.h"
#include "config/PluginDefines.h"
#include "dialog/carbonmacros.h"
#include "dialog/controls/clipCTRL.h"
#include "dialog/controls/colorCTRL.h"
#include "dialog/controls/dlgUtils.h"
#include "dialog/controls/pictCTRL.h"
#include "engine/callPixelFX.h"
#include "engine/relRects.h"
#include "util/NibWindows.h"

namespace {

constexpr int kWidth = 960, kHeight = 540;
constexpr std::size_t kFrameBytes = std::size_t{kWidth} * kHeight * 4;

GWorldPtr NoiseWorld() {
    GWorldPtr gw = nullptr;
    const Rect r{0, 0, kHeight, kWidth};
    if (NewGWorld(&gw, 32, &r, nullptr, nullptr, 0) != noErr) std::abort();
    PixMapHandle pm = GetGWorldPixMap(gw);
    std::mt19937 rng(1);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<UInt32*>(GetPixBaseAddr(pm) + static_cast<std::ptrdiff_t>(y) * GetPixRowBytes(pm));
        for (int x = 0; x < kWidth; ++x) row[x] = rng() | 0xFF;
    }
    return gw;
}

void BM_DragStep(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!dlopen(MV_BUNDLE_DIR "/Contents/Linux/morvatelle.so", RTLD_NOW | RTLD_LOCAL)) std::abort();
    static pluginDataRec config;
    ResetConfig(&config, true);
    gConfigWorkSpace.theConfig = &config;
    gConfigWorkSpace.sourceClip = NoiseWorld();
    gConfigWorkSpace.theFXClip = NoiseWorld();
    gConfigWorkSpace.currFrameIndex = 50;
    gConfigWorkSpace.maxFrameIndex = 100;
    gConfigWorkSpace.activeRel = 1;
    RegisterColorBox();
    RegisterClipCtrl();
    RegisterPictureControl();
    WindowRef window = OpenNibWindowFromCFBundle(cMyBundleID, "morvatelle", "configHD");
    gConfigWorkSpace.theFrameCtrl = SimpleGetControlByID(window, MV_FOURCC('C', 'l', 'i', 'p'), 1);
    const Rect bounds = GetControlBox(gConfigWorkSpace.theFrameCtrl);
    SetPortWindowPort(window);
    SInt16 step = 0;
    for (auto _ : state) {
        // A body drag a pixel at a time across the frame.
        step = static_cast<SInt16>((step + 1) % 200);
        const Rect r{static_cast<SInt16>(bounds.top + 100 + step), static_cast<SInt16>(bounds.left + 200 + step),
                     static_cast<SInt16>(bounds.top + 370 + step), static_cast<SInt16>(bounds.left + 680 + step)};
        PutCurrentRel(Rect2Rel(r, bounds));
        CallPixelEffect(gConfigWorkSpace.sourceClip, gConfigWorkSpace.theFXClip);
        DrawFrameContents(window, bounds);
        benchmark::ClobberMemory();
    }
    DisposeWindow(window);
    UnregisterClipCtrl();
    UnregisterColorBox();
    UnregisterPictureControl();
}

// Frames enough to leave every cache behind between two copies of the same one.
void BM_UncachedFrameCopy(benchmark::State& state) {
    constexpr int kFrames = 32;
    std::vector<std::vector<unsigned char>> from(kFrames, std::vector<unsigned char>(kFrameBytes, 1)),
        to(kFrames, std::vector<unsigned char>(kFrameBytes, 2));
    int i = 0;
    for (auto _ : state) {
        std::memcpy(to[i].data(), from[i].data(), kFrameBytes);
        benchmark::ClobberMemory();
        i = (i + 1) % kFrames;
    }
}

}  // namespace

BENCHMARK(BM_UncachedFrameCopy)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
