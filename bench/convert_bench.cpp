// The host's picture conversions on a 1920x1080 frame: the encoder's A, R, G,
// B to I420 through libyuv's R, G, B, A reader against its own A, R, G, B one,
// and the decoder's I420 to A, R, G, B.
#include <benchmark/benchmark.h>

#include <libyuv.h>

#include <cstdlib>
#include <random>

#include "frames/ArgbImage.h"
#include "frames/PixelConvert.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

mv::FramePtr Picture(AVPixelFormat format) {
    mv::FramePtr f = mv::newFrame();
    f->format = format;
    f->width = kWidth;
    f->height = kHeight;
    f->color_range = AVCOL_RANGE_MPEG;
    if (av_frame_get_buffer(f.get(), 0) < 0) std::abort();
    return f;
}

mv::ArgbImage Noise() {
    mv::ArgbImage image(kWidth, kHeight);
    std::mt19937 rng(1);
    for (auto& b : image.pixels) b = static_cast<std::uint8_t>(rng());
    return image;
}

void BM_ToI420_Host(benchmark::State& state) {
    mv::ArgbImage src = Noise();
    mv::FramePtr dst = Picture(AV_PIX_FMT_YUV420P);
    mv::FrameConverter converter;
    for (auto _ : state) {
        converter.convert(src.view(), dst.get());
        benchmark::ClobberMemory();
    }
}

void BM_ToI420_LibyuvBGRA(benchmark::State& state) {
    mv::ArgbImage src = Noise();
    mv::FramePtr dst = Picture(AV_PIX_FMT_YUV420P);
    for (auto _ : state) {
        libyuv::BGRAToI420(src.pixels.data(), kWidth * 4, dst->data[0], dst->linesize[0], dst->data[1],
                           dst->linesize[1], dst->data[2], dst->linesize[2], kWidth, kHeight);
        benchmark::ClobberMemory();
    }
}

void BM_FromI420_Host(benchmark::State& state) {
    mv::FramePtr src = Picture(AV_PIX_FMT_YUV420P);
    mv::ArgbImage dst(kWidth, kHeight);
    mv::ArgbConverter converter;
    for (auto _ : state) {
        converter.convert(src.get(), dst.view(), mv::ScaleQuality::Good);
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(BM_ToI420_Host)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToI420_LibyuvBGRA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FromI420_Host)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
