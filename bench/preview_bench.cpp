// Live-preview steps at the dialog's largest preview (960 x 540, the HD
// layout): one drag step on the clip control (storing the rectangle,
// rendering the preview again and drawing it with its outline and handles)
// and one step of slider 2 (its action, the render and the clip control's
// redraw). Measured beside an uncached copy of one 960 x 540 frame; each
// step should cost at most four.
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
#include "dialog/configdlghandler.h"
#include "dialog/sliderHandlers.h"
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

pluginDataRec config;

// The HD dialog window over a noise frame, as the dialog sets it up.
WindowRef OpenDialogWindow() {
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!dlopen(MV_BUNDLE_DIR "/Contents/Linux/morvatelle.so", RTLD_NOW | RTLD_LOCAL)) std::abort();
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
    SetupDialog(window, &config);
    SetPortWindowPort(window);
    return window;
}

void CloseDialogWindow(WindowRef window) {
    DisposeWindow(window);
    UnregisterClipCtrl();
    UnregisterColorBox();
    UnregisterPictureControl();
    DisposeGWorld(gConfigWorkSpace.sourceClip);
    DisposeGWorld(gConfigWorkSpace.theFXClip);
}

void BM_DragStep(benchmark::State& state) {
    WindowRef window = OpenDialogWindow();
    const Rect bounds = GetControlBox(gConfigWorkSpace.theFrameCtrl);
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
    CloseDialogWindow(window);
}

void BM_SliderStep(benchmark::State& state) {
    WindowRef window = OpenDialogWindow();
    ControlRef slider = gConfigWorkSpace.sliders[1];
    SInt32 value = 0;
    for (auto _ : state) {
        // Slider 2 dragged a step at a time across its range.
        value = (value + 1) % 101;
        SetControl32BitValue(slider, value);
        Slider2Action(slider, kControlIndicatorPart);
        benchmark::ClobberMemory();
    }
    CloseDialogWindow(window);
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
BENCHMARK(BM_SliderStep)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
