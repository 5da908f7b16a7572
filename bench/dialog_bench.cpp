// Opening the configuration window: from the call that opens it to the
// window shown on screen (Qt's offscreen platform unless a display is set),
// for each media type's layout. Wall time; medians of 20 openings.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include <dlfcn.h>

#include <cstdlib>

#include "config/PluginDefines.h"
#include "support/StandInControls.h"
#include "toolkit/CarbonEvents.h"
#include "toolkit/ToolkitInternal.h"
#include "util/NibWindows.h"

namespace {

// The bundle loaded as a host has it, and stand-ins for the dialog's control classes.
void Prepare() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!dlopen(MV_BUNDLE_DIR "/Contents/Linux/morvatelle.so", RTLD_NOW | RTLD_LOCAL)) std::abort();
    mvtest::RegisterStandInControls();
}

void BM_OpenConfigurationWindow(benchmark::State& state, const char* layout) {
    Prepare();
    for (auto _ : state) {
        WindowRef window = OpenNibWindowFromCFBundle(cMyBundleID, "", layout);
        ShowWindow(window);
        if (!QTest::qWaitForWindowExposed(window->widget)) state.SkipWithError("the window was never shown");
        state.PauseTiming();
        DisposeWindow(window);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK_CAPTURE(BM_OpenConfigurationWindow, NTSC, "configNTSC")
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_OpenConfigurationWindow, HD, "configHD")
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
