// Opening the configuration window: from the call that opens it to the
// window shown on screen (Qt's offscreen platform unless a display is set),
// for each media type's layout; and the whole way from the host's click on
// the effect's button (kPlugCustomButtonClick through the bundle's main,
// the frame fetched, the first preview rendered) to the dialog shown. Wall
// time; medians of 20 openings.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>

#include "hyplugin/HYPlugin.h"
#include "memory/MacMemory.h"
#include "quickdraw/QuickDraw.h"

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

// The host's side: a 720 x 480 frame of one colour for every request.
HYPluginResult GetFrame(void*, SInt32, GWorldPtr* world, SInt16 width, SInt16 height, HYRefDVQuality, SInt16*,
                        void** cookie) {
    const Rect r{0, 0, height, width};
    if (NewGWorld(world, 32, &r, nullptr, nullptr, 0) != noErr) return kPluginOutOfMemory;
    *cookie = *world;
    return kPluginOK;
}
HYPluginResult ReleaseFrame(void*, void* cookie) {
    DisposeGWorld(static_cast<GWorldPtr>(cookie));
    return kPluginOK;
}
void* HostNewPtrClear(UInt32 size) { return NewPtrClear(static_cast<Size>(size)); }
void HostDisposePtr(void* block) { DisposePtr(static_cast<Ptr>(block)); }

void BM_CustomButtonToDialog(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The plug-in's start writes its settings file: into a scratch folder, not the user's.
    static char settings[] = "/tmp/mvbenchXXXXXX";
    if (!mkdtemp(settings)) std::abort();
    setenv("XDG_CONFIG_HOME", settings, 1);
    void* bundle = dlopen(MV_BUNDLE_DIR "/Contents/Linux/morvatelle.so", RTLD_NOW | RTLD_LOCAL);
    if (!bundle) std::abort();
    auto entry = reinterpret_cast<HYPluginEntryProc>(dlsym(bundle, "main"));
    static int argc = 1;
    static char name[] = "dialog_bench";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    static HYProcs procs{};
    procs.NewPtrClear = HostNewPtrClear;
    procs.DisposePtr = HostDisposePtr;
    procs.GetFrame = GetFrame;
    procs.ReleaseFrame = ReleaseFrame;
    HYPluginParams params{};
    params.interfaceVersion = 4;
    params.procs = &procs;
    params.selector = kPlugCustomButtonClick;
    for (auto _ : state) {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        double shown = 0;
        // Once the dialog is on screen: the time taken, and Escape to leave it.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog || !dialog->isVisible() || shown > 0) return;
            if (!QTest::qWaitForWindowExposed(dialog)) return;
            shown = std::chrono::duration<double>(Clock::now() - start).count();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        poll.start(0);
        entry(0, &params);
        state.SetIterationTime(shown);
    }
}

}  // namespace

BENCHMARK(BM_CustomButtonToDialog)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(20)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_OpenConfigurationWindow, NTSC, "configNTSC")
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_OpenConfigurationWindow, HD, "configHD")
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
