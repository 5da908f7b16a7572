// Scrubbing in the dialog as the host serves it, on a 1920 x 1080 H.264 clip
// with a keyframe every 60 frames: a step forward at the HD dialog's size
// (960 x 540) against the host's delivery of one frame in a plain sequential
// read at the clip's own size (the decode of a frame); a step back, which
// decodes again from the keyframe before it; and a jump from the first frame
// to the middle of the clip (medians of 15).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "commands/ClipOpening.h"
#include "session/HostCallbacks.h"

namespace {

constexpr int kFrames = 300;

const std::string& ClipPath() {
    static const std::string path = [] {
        const std::string file = (std::filesystem::temp_directory_path() / "morvatelle-scrub-bench.mp4").string();
        const std::string make = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=30 -frames:v " +
                                 std::to_string(kFrames) +
                                 " -c:v libx264 -preset veryfast -g 60 -keyint_min 60 -sc_threshold 0 -pix_fmt yuv420p '" +
                                 file + "'";
        if (std::system(make.c_str()) != 0) std::abort();
        return file;
    }();
    return path;
}

// Frames first..first+n-1 in order, at width x height, each given back at once.
void Fetch(mv::HostSession& session, SInt32 frame, SInt16 width, SInt16 height) {
    GWorldPtr world = nullptr;
    void* cookie = nullptr;
    if (session.getFrame(frame, &world, width, height, kDVHighQuality, nullptr, &cookie) != kPluginOK) std::abort();
    session.releaseFrame(cookie);
}

void BM_DecodeOneFrame(benchmark::State& state) {
    mv::Clip clip = mv::openClip(ClipPath(), std::nullopt, "30");
    mv::HostSession session(clip);
    session.setRange(0, kFrames - 1);
    SInt32 frame = 0;
    for (auto _ : state) {
        Fetch(session, frame, 1920, 1080);
        frame = (frame + 1) % kFrames;
    }
}

void BM_StepForward(benchmark::State& state) {
    mv::Clip clip = mv::openClip(ClipPath(), std::nullopt, "30");
    mv::HostSession session(clip);
    session.setRange(0, kFrames - 1);
    SInt32 frame = 0;
    for (auto _ : state) {
        Fetch(session, frame, 960, 540);
        frame = (frame + 1) % kFrames;
    }
}

void BM_StepBack(benchmark::State& state) {
    mv::Clip clip = mv::openClip(ClipPath(), std::nullopt, "30");
    mv::HostSession session(clip);
    session.setRange(0, kFrames - 1);
    SInt32 frame = kFrames / 2 + 30;  // in the middle of a group of 60
    Fetch(session, frame, 960, 540);
    for (auto _ : state) {
        frame = frame > kFrames / 2 + 1 ? frame - 1 : kFrames / 2 + 30;
        Fetch(session, frame, 960, 540);
    }
}

void BM_JumpToMiddle(benchmark::State& state) {
    mv::Clip clip = mv::openClip(ClipPath(), std::nullopt, "30");
    mv::HostSession session(clip);
    session.setRange(0, kFrames - 1);
    for (auto _ : state) {
        state.PauseTiming();
        Fetch(session, 0, 960, 540);
        state.ResumeTiming();
        Fetch(session, kFrames / 2, 960, 540);
    }
}

}  // namespace

BENCHMARK(BM_DecodeOneFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_StepForward)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_StepBack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_JumpToMiddle)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(15)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
