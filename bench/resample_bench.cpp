// The smooth zoom's sampler on a 1920x1080 frame, at a hold of 2x and of a
// fractional 1.67x: Lanczos-3 by each kernel, the bilinear sampling smooth
// used before (pixman), the exact render of the same frame, and FFmpeg's
// swscale with SWS_LANCZOS on the same crop and scale, from R, G, B, A pixels
// as the filter takes them and from planes. Processor time; the "x_swscale"
// counter is each figure's time over swscale's on pixels at that zoom.
#include <benchmark/benchmark.h>

#include <pixman.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <ctime>
#include <map>
#include <random>
#include <vector>

#include "guest/GuestRender.h"
#include "guest/Resample.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// The held regions: 2x (960x540 from 480, 270) and 1.67x (1152x648 from 384, 216).
const mvguest::RegionF kRegions[] = {{480, 1440, 270, 810}, {384, 1536, 216, 864}};

std::vector<std::uint32_t> Picture() {
    std::mt19937 random(5);
    std::vector<std::uint32_t> px(std::size_t{kWidth} * kHeight);
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = (i % kWidth * 3 + i / kWidth * 7) ^ (random() & 0x0F0F0F0F);
    return px;
}

std::map<int, double>& SwscaleTimes() {
    static std::map<int, double> times;
    return times;
}

template <typename Work> void Run(benchmark::State& state, Work work) {
    const auto in = Picture();
    std::vector<std::uint32_t> out(in.size());
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        work(in.data(), out.data(), kRegions[state.range(0)]);
        benchmark::DoNotOptimize(out.data());
    }
    const double each = double(std::clock() - start) / CLOCKS_PER_SEC / double(state.iterations());
    const auto& times = SwscaleTimes();
    if (const auto it = times.find(int(state.range(0))); it != times.end()) state.counters["x_swscale"] = each / it->second;
}

void Swscale(benchmark::State& state) {
    const mvguest::RegionF r = kRegions[state.range(0)];
    const int cw = int(r.right - r.left), ch = int(r.bottom - r.top);
    SwsContext* sws = sws_getContext(cw, ch, AV_PIX_FMT_RGBA, kWidth, kHeight, AV_PIX_FMT_RGBA,
                                     SWS_LANCZOS | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    const auto in = Picture();
    std::vector<std::uint32_t> out(in.size());
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        const auto* src = reinterpret_cast<const std::uint8_t*>(in.data() + int(r.top) * kWidth + int(r.left));
        const int srcStride = kWidth * 4, dstStride = kWidth * 4;
        auto* dst = reinterpret_cast<std::uint8_t*>(out.data());
        sws_scale(sws, &src, &srcStride, 0, ch, &dst, &dstStride);
        benchmark::DoNotOptimize(out.data());
    }
    SwscaleTimes()[int(state.range(0))] = double(std::clock() - start) / CLOCKS_PER_SEC / state.iterations();
    sws_freeContext(sws);
}

// The same on planar G, B, R, A, where swscale has no packed pixels to take
// apart and put together (the planes made beforehand are not timed).
void SwscalePlanar(benchmark::State& state) {
    const mvguest::RegionF r = kRegions[state.range(0)];
    const int cw = int(r.right - r.left), ch = int(r.bottom - r.top);
    SwsContext* sws = sws_getContext(cw, ch, AV_PIX_FMT_GBRAP, kWidth, kHeight, AV_PIX_FMT_GBRAP,
                                     SWS_LANCZOS | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    const auto in = Picture();
    std::vector<std::uint8_t> planes(in.size() * 4), out(in.size() * 4);
    for (std::size_t i = 0; i < in.size(); ++i)
        for (int p = 0; p < 4; ++p) planes[p * in.size() + i] = static_cast<std::uint8_t>(in[i] >> (8 * p));
    const std::size_t offset = std::size_t(r.top) * kWidth + std::size_t(r.left);
    const std::uint8_t* src[4];
    std::uint8_t* dst[4];
    int strides[4];
    for (int p = 0; p < 4; ++p) {
        src[p] = planes.data() + p * in.size() + offset;
        dst[p] = out.data() + p * in.size();
        strides[p] = kWidth;
    }
    for (auto _ : state) {
        sws_scale(sws, src, strides, 0, ch, dst, strides);
        benchmark::DoNotOptimize(out.data());
    }
    sws_freeContext(sws);
}

void Lanczos(benchmark::State& state, mv::SimdLevel kernel) {
    if (!mv::SimdRuns(kernel)) return state.SkipWithError("not on this processor");
    Run(state, [&](const std::uint32_t* in, std::uint32_t* out, mvguest::RegionF region) {
        mvguest::ResampleRegion(in, out, kWidth, kHeight, kWidth, region, kernel);
    });
}

// Smooth as it was: pixman's bilinear filter over the same region.
void Bilinear(benchmark::State& state) {
    Run(state, [](const std::uint32_t* in, std::uint32_t* out, mvguest::RegionF r) {
        pixman_image_t* src = pixman_image_create_bits_no_clear(PIXMAN_a8r8g8b8, kWidth, kHeight,
                                                                const_cast<std::uint32_t*>(in), kWidth * 4);
        pixman_image_t* dst = pixman_image_create_bits_no_clear(PIXMAN_a8r8g8b8, kWidth, kHeight, out, kWidth * 4);
        pixman_transform_t t;
        pixman_transform_init_identity(&t);
        t.matrix[0][0] = pixman_double_to_fixed((r.right - r.left) / kWidth);
        t.matrix[1][1] = pixman_double_to_fixed((r.bottom - r.top) / kHeight);
        t.matrix[0][2] = pixman_double_to_fixed(r.left);
        t.matrix[1][2] = pixman_double_to_fixed(r.top);
        pixman_image_set_transform(src, &t);
        pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
        pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
        pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
        pixman_image_unref(src);
        pixman_image_unref(dst);
    });
}

// The exact render of a held frame of the same region.
void Exact(benchmark::State& state) {
    pluginDataRec config{};
    const mvguest::RegionF r = kRegions[state.range(0)];
    config.startRel = relRect{r.left / kWidth, r.right / kWidth, r.top / kHeight, r.bottom / kHeight};
    mvguest::Images images;
    Run(state, [&](const std::uint32_t* in, std::uint32_t* out, mvguest::RegionF) {
        mvguest::RenderGuestFrame(config, {}, 0, 0, mvguest::Frame{kWidth, kHeight, in, out}, images);
    });
}

}  // namespace

BENCHMARK(Swscale)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SwscalePlanar)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lanczos, avx2, mv::SimdLevel::Avx2)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lanczos, sse2, mv::SimdLevel::Sse2)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lanczos, plain, mv::SimdLevel::Plain)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Bilinear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Exact)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
