// The host's picture conversions on a 1920x1080 BT.709 frame, both ways: our
// kernels (vector and plain paths) against libyuv (the host's earlier path,
// whose 6-bit BT.709 coefficients are a few levels off and whose encoder
// writes BT.601 only) and libswscale with accurate rounding.
#include <benchmark/benchmark.h>

#include <libyuv.h>

#include <cstdlib>
#include <random>

#include "frames/ArgbImage.h"
#include "frames/PixelConvert.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
const mv::ColourDescription kHd{AVCOL_SPC_BT709, AVCOL_PRI_BT709, AVCOL_TRC_BT709, AVCOL_RANGE_MPEG};

mv::FramePtr Picture(AVPixelFormat format) {
    mv::FramePtr f = mv::newFrame();
    f->format = format;
    f->width = kWidth;
    f->height = kHeight;
    f->color_range = AVCOL_RANGE_MPEG;
    f->colorspace = AVCOL_SPC_BT709;
    if (av_frame_get_buffer(f.get(), 0) < 0) std::abort();
    std::mt19937 rng(2);
    for (int p = 0; p < 3; ++p)
        for (int i = 0; i < f->linesize[p] * (p ? kHeight / 2 : kHeight); ++i)
            f->data[p][i] = static_cast<std::uint8_t>(format == AV_PIX_FMT_YUV420P ? rng() : rng() & (i % 2 ? 3 : 255));
    return f;
}

mv::ArgbImage Noise() {
    mv::ArgbImage image(kWidth, kHeight);
    std::mt19937 rng(1);
    for (auto& b : image.pixels) b = static_cast<std::uint8_t>(rng());
    return image;
}

template <typename Convert>
void ToI420(benchmark::State& state, Convert convert) {
    mv::ArgbImage src = Noise();
    mv::FramePtr dst = Picture(AV_PIX_FMT_YUV420P);
    for (auto _ : state) {
        convert(src.view(), dst.get());
        benchmark::ClobberMemory();
    }
}

template <typename Convert>
void FromYuv(benchmark::State& state, AVPixelFormat format, Convert convert) {
    mv::FramePtr src = Picture(format);
    mv::ArgbImage dst(kWidth, kHeight);
    dst.pixels.resize(dst.pixels.size() + mv::kConvertSlack);
    for (auto _ : state) {
        convert(src.get(), dst.view());
        benchmark::ClobberMemory();
    }
}

const mv::YuvMatrix kMatrix = mv::yuvMatrixFor(AVCOL_SPC_BT709, false, 8);

void BM_ToI420_Ours(benchmark::State& state) {
    mv::FrameConverter c(kHd);
    ToI420(state, [&](mv::ArgbView s, AVFrame* d) { c.convert(s, d); });
}
// The kernel at each of its levels: plain, SSE2, AVX2.
void BM_ToI420_OursAtLevel(benchmark::State& state) {
    const auto level = static_cast<mv::SimdLevel>(state.range(0));
    ToI420(state, [&](mv::ArgbView s, AVFrame* d) { mv::argbToYuv420(s, kMatrix, d->data, d->linesize, level); });
}
void BM_ToI420_LibyuvBt601(benchmark::State& state) {
    ToI420(state, [](mv::ArgbView s, AVFrame* d) {
        libyuv::BGRAToI420(s.data, s.rowBytes, d->data[0], d->linesize[0], d->data[1], d->linesize[1], d->data[2],
                           d->linesize[2], s.width, s.height);
    });
}
void BM_ToI420_SwscaleAccurate(benchmark::State& state) {
    mv::FrameConverter c(kHd);
    ToI420(state, [&](mv::ArgbView s, AVFrame* d) { c.convertReference(s, d); });
}

void BM_FromI420_Ours(benchmark::State& state) {
    mv::ArgbConverter c(kHd);
    FromYuv(state, AV_PIX_FMT_YUV420P, [&](const AVFrame* s, mv::ArgbView d) { c.convert(s, d, mv::ScaleQuality::Good); });
}
void BM_FromI420_OursAtLevel(benchmark::State& state) {
    const auto level = static_cast<mv::SimdLevel>(state.range(0));
    FromYuv(state, AV_PIX_FMT_YUV420P, [&](const AVFrame* s, mv::ArgbView d) {
        mv::YuvPicture p;
        mv::yuvPictureOf(s, p);
        mv::yuvToArgb(p, kMatrix, d, level);
    });
}
void BM_FromI420_LibyuvBt709(benchmark::State& state) {
    FromYuv(state, AV_PIX_FMT_YUV420P, [](const AVFrame* s, mv::ArgbView d) {
        libyuv::I420ToRGBAMatrix(s->data[0], s->linesize[0], s->data[2], s->linesize[2], s->data[1], s->linesize[1],
                                 d.data, d.rowBytes, &libyuv::kYvuH709Constants, d.width, d.height);
    });
}
void BM_FromI420_SwscaleAccurate(benchmark::State& state) {
    mv::ArgbConverter c(kHd);
    FromYuv(state, AV_PIX_FMT_YUV420P,
            [&](const AVFrame* s, mv::ArgbView d) { c.convertReference(s, d, mv::ScaleQuality::Good); });
}
void BM_From10Bit420_Ours(benchmark::State& state) {
    mv::ArgbConverter c(kHd);
    FromYuv(state, AV_PIX_FMT_YUV420P10LE,
            [&](const AVFrame* s, mv::ArgbView d) { c.convert(s, d, mv::ScaleQuality::Good); });
}
void BM_From10Bit420_SwscaleAccurate(benchmark::State& state) {
    mv::ArgbConverter c(kHd);
    FromYuv(state, AV_PIX_FMT_YUV420P10LE,
            [&](const AVFrame* s, mv::ArgbView d) { c.convertReference(s, d, mv::ScaleQuality::Good); });
}

}  // namespace

BENCHMARK(BM_ToI420_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToI420_OursAtLevel)->DenseRange(0, static_cast<int>(mv::BestSimdLevel()))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToI420_LibyuvBt601)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToI420_SwscaleAccurate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FromI420_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FromI420_OursAtLevel)->DenseRange(0, static_cast<int>(mv::BestSimdLevel()))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FromI420_LibyuvBt709)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FromI420_SwscaleAccurate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_From10Bit420_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_From10Bit420_SwscaleAccurate)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
