// The engine's speed measured against an uncached copy of one frame, in the
// same run: each figure's "x_copy" counter is its time over that copy's.
// Times are processor time, which other work on a shared machine disturbs
// far less than wall time.
#include <benchmark/benchmark.h>

#include <pixman.h>

#include <algorithm>
#include <ctime>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "config/DataHandling.h"
#include "engine/callPixelFX.h"
#include "quartz/Composite.h"
#include "quickdraw/QuickDraw.h"
#include "quickdraw/ScaleCopy.h"

namespace {

// Enough frames that a round through them outruns every cache.
constexpr std::size_t kRotateBytes = std::size_t{192} << 20;

struct Size {
    int width, height;
};

Size SizeOf(const benchmark::State& state) { return {int(state.range(0)), int(state.range(1))}; }

std::size_t FrameCount(Size s) {
    return std::max<std::size_t>(3, kRotateBytes / (std::size_t(s.width) * s.height * 4));
}

struct World {
    GWorldPtr gw = nullptr;
    explicit World(Size s) {
        const Rect r = {0, 0, SInt16(s.height), SInt16(s.width)};
        NewGWorld(&gw, 32, &r, nullptr, nullptr, 0);
        PixMapHandle pm = GetGWorldPixMap(gw);
        std::mt19937 rng(unsigned(s.width));
        auto* p = reinterpret_cast<std::uint8_t*>(GetPixBaseAddr(pm));
        const std::size_t bytes = std::size_t(GetPixRowBytes(pm)) * std::size_t(s.height);
        for (std::size_t i = 0; i < bytes; i += 4) {
            const std::uint32_t v = rng() | 0xFFu;  // opaque: alpha is the first byte
            std::memcpy(p + i, &v, 4);
        }
    }
    ~World() { DisposeGWorld(gw); }
};

double ThreadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// One frame's memcpy from one rotating buffer into the next.
double MeasureFrameCopy(Size s) {
    const std::size_t bytes = std::size_t(s.width) * s.height * 4, n = FrameCount(s);
    std::vector<std::unique_ptr<std::uint8_t[]>> frames;
    for (std::size_t i = 0; i < n; ++i) {
        frames.emplace_back(new std::uint8_t[bytes]);
        std::memset(frames.back().get(), int(i), bytes);
    }
    const int rounds = 4;
    const double start = ThreadSeconds();
    for (int r = 0; r < rounds; ++r)
        for (std::size_t i = 0; i < n; ++i) {
            std::memcpy(frames[(i + 1) % n].get(), frames[i].get(), bytes);
            benchmark::ClobberMemory();
        }
    return (ThreadSeconds() - start) / double(rounds * n);
}

double FrameCopySeconds(Size s) {
    static std::map<std::pair<int, int>, double> measured;
    auto [it, fresh] = measured.try_emplace({s.width, s.height}, 0.0);
    if (fresh) {
        MeasureFrameCopy(s);  // first touch of the pages
        it->second = MeasureFrameCopy(s);
    }
    return it->second;
}

void ReportAgainstCopy(benchmark::State& state, Size s) {
    state.counters["x_copy"] = benchmark::Counter(double(state.iterations()) * FrameCopySeconds(s),
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FrameCopy(benchmark::State& state) {
    const Size s = SizeOf(state);
    const std::size_t bytes = std::size_t(s.width) * s.height * 4, n = FrameCount(s);
    std::vector<std::unique_ptr<std::uint8_t[]>> frames;
    for (std::size_t i = 0; i < n; ++i) {
        frames.emplace_back(new std::uint8_t[bytes]);
        std::memset(frames.back().get(), int(i), bytes);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        std::memcpy(frames[(i + 1) % n].get(), frames[i].get(), bytes);
        benchmark::ClobberMemory();
        i = (i + 1) % n;
    }
    ReportAgainstCopy(state, s);
}

// Source and work frames rotate as a render run's do.
void RunEffect(benchmark::State& state, relRect region, SInt16 overlay) {
    const Size s = SizeOf(state);
    const std::size_t n = std::max<std::size_t>(2, FrameCount(s) / 2);
    std::vector<std::unique_ptr<World>> sources, works;
    for (std::size_t i = 0; i < n; ++i) {
        sources.push_back(std::make_unique<World>(s));
        works.push_back(std::make_unique<World>(s));
    }
    pluginDataRec config{};
    ResetConfig(&config, true);
    config.startRel = region;
    config.sliders[2] = overlay;
    const SInt32 maxFrames = 100;
    std::size_t i = 0;
    for (auto _ : state) {
        // A held frame: the start region itself, scaled when it is not whole.
        DoPascalPixelEffect(sources[i]->gw, works[i]->gw, &config, 40, maxFrames);
        benchmark::ClobberMemory();
        i = (i + 1) % n;
    }
    ReportAgainstCopy(state, s);
}

const relRect kWhole = {0, 1, 0, 1};
const relRect kQuarter = {0.25, 0.75, 0.25, 0.75};

void BM_DoPascalPixelEffect_Default(benchmark::State& state) { RunEffect(state, kWhole, 0); }
void BM_DoPascalPixelEffect_Overlay50(benchmark::State& state) { RunEffect(state, kWhole, 50); }
void BM_DoPascalPixelEffect_Region(benchmark::State& state) { RunEffect(state, kQuarter, 0); }
void BM_DoPascalPixelEffect_RegionOverlay50(benchmark::State& state) { RunEffect(state, kQuarter, 50); }

void BM_NewDisposeGWorld(benchmark::State& state) {
    const Size s = SizeOf(state);
    const Rect r = {0, 0, SInt16(s.height), SInt16(s.width)};
    for (auto _ : state) {
        GWorldPtr gw = nullptr;
        NewGWorld(&gw, 32, &r, nullptr, nullptr, 0);
        benchmark::DoNotOptimize(gw);
        DisposeGWorld(gw);
    }
    ReportAgainstCopy(state, s);
}

// The kernels on one in-cache-sized frame, ours against pixman's.
struct Planes {
    Size s;
    std::size_t stride;
    std::vector<std::uint8_t> src, dst;
    explicit Planes(Size size)
        : s(size), stride(std::size_t(size.width) * 4), src(stride * std::size_t(size.height), 0xFF),
          dst(src.size(), 0x80) {}
};

void BM_Composite_Own(benchmark::State& state) {
    Planes p(SizeOf(state));
    for (auto _ : state) {
        for (int y = 0; y < p.s.height; ++y)
            mv::CompositeRow(&p.src[y * p.stride], &p.dst[y * p.stride], p.s.width, 128);
        benchmark::ClobberMemory();
    }
}

// b8g8r8a8 is A, R, G, B in memory on little-endian machines.
void BM_Composite_Pixman(benchmark::State& state) {
    Planes p(SizeOf(state));
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_b8g8r8a8, p.s.width, p.s.height,
                                                   reinterpret_cast<std::uint32_t*>(p.src.data()), int(p.stride));
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_b8g8r8a8, p.s.width, p.s.height,
                                                   reinterpret_cast<std::uint32_t*>(p.dst.data()), int(p.stride));
    const pixman_color_t half = {0, 0, 0, 0x8000};
    pixman_image_t* mask = pixman_image_create_solid_fill(&half);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, 0, 0, p.s.width, p.s.height);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(mask);
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

// Half of each axis enlarged to the whole frame.
void BM_ScaleCopy_Own(benchmark::State& state) {
    Planes p(SizeOf(state));
    const mv::ScaleJob job{p.src.data(), std::ptrdiff_t(p.stride), p.s.width, p.s.height,
                           p.dst.data(), std::ptrdiff_t(p.stride), p.s.width, p.s.height,
                           p.s.width / 4, p.s.height / 4, p.s.width / 2, p.s.height / 2,
                           0, 0, p.s.width, p.s.height};
    for (auto _ : state) {
        mv::ScaleCopy(job);
        benchmark::ClobberMemory();
    }
}

// Pixman's nearest filter with its own fixed-point centres: near, not equal,
// to the copy's rule; raced only for speed.
void BM_ScaleCopy_Pixman(benchmark::State& state) {
    Planes p(SizeOf(state));
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, p.s.width, p.s.height,
                                                   reinterpret_cast<std::uint32_t*>(p.src.data()), int(p.stride));
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, p.s.width, p.s.height,
                                                   reinterpret_cast<std::uint32_t*>(p.dst.data()), int(p.stride));
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, p.s.width / 2, p.s.height / 2, 0, 0, 0, 0,
                                 p.s.width, p.s.height);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

void Frames(benchmark::internal::Benchmark* b) {
    b->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_FrameCopy)->Apply(Frames);
BENCHMARK(BM_DoPascalPixelEffect_Default)->Apply(Frames);
BENCHMARK(BM_DoPascalPixelEffect_Overlay50)->Apply(Frames);
BENCHMARK(BM_DoPascalPixelEffect_Region)->Apply(Frames);
BENCHMARK(BM_DoPascalPixelEffect_RegionOverlay50)->Apply(Frames);
BENCHMARK(BM_NewDisposeGWorld)->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Composite_Own)->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Composite_Pixman)->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleCopy_Own)->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleCopy_Pixman)->Args({1920, 1080})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
