// The host's parts on their own: fast pixel paths against their plain
// references, output naming, the contact sheet's choice of frames, and
// outputs that appear only when complete.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

#include "output/AtomicOutput.h"
#include "frames/Blit.h"
#include "output/ContactSheet.h"
#include "output/Encoder.h"
#include "common/HostError.h"
#include "output/OutputFormat.h"
#include "frames/PixelConvert.h"

namespace fs = std::filesystem;
using namespace mv;

namespace {

FramePtr pictureFrame(AVPixelFormat format, int w, int h) {
    FramePtr f = newFrame();
    f->format = format;
    f->width = w;
    f->height = h;
    EXPECT_EQ(av_frame_get_buffer(f.get(), 0), 0);
    return f;
}

FramePtr randomYuv(int w, int h, AVColorRange range, AVColorSpace space, unsigned seed) {
    FramePtr f = pictureFrame(AV_PIX_FMT_YUV420P, w, h);
    f->color_range = range;
    f->colorspace = space;
    std::mt19937 rng(seed);
    for (int p = 0; p < 3; ++p) {
        int ph = p ? (h + 1) / 2 : h, pw = p ? (w + 1) / 2 : w;
        for (int y = 0; y < ph; ++y)
            for (int x = 0; x < pw; ++x) {
                // Smooth chroma, as in real pictures, so how it is upsampled does not dominate.
                int v = p == 0 ? 16 + static_cast<int>(rng() % 220) : p == 1 ? 96 + 64 * x / pw : 96 + 64 * y / ph;
                f->data[p][y * f->linesize[p] + x] = static_cast<std::uint8_t>(v);
            }
    }
    return f;
}

int worstDifference(const ArgbImage& a, const ArgbImage& b) {
    int worst = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) worst = std::max(worst, std::abs(a.pixels[i] - b.pixels[i]));
    return worst;
}

struct YuvCase {
    AVColorRange range;
    AVColorSpace space;
    int w, h;
};

class YuvToArgb : public ::testing::TestWithParam<YuvCase> {};

TEST_P(YuvToArgb, FastPathMatchesTheReferenceClosely) {
    YuvCase c = GetParam();
    FramePtr f = randomYuv(c.w, c.h, c.range, c.space, 7);
    ArgbImage fast(c.w, c.h), plain(c.w, c.h);
    ArgbConverter a, b;
    a.convert(f.get(), fast.view(), ScaleQuality::Good);
    b.convertReference(f.get(), plain.view(), ScaleQuality::Good);
    EXPECT_LE(worstDifference(fast, plain), 2);
    for (std::size_t i = 0; i < fast.pixels.size(); i += 4) ASSERT_EQ(fast.pixels[i], 255) << "alpha at " << i / 4;
}

INSTANTIATE_TEST_SUITE_P(Matrices, YuvToArgb,
                         ::testing::Values(YuvCase{AVCOL_RANGE_MPEG, AVCOL_SPC_SMPTE170M, 64, 48},
                                           YuvCase{AVCOL_RANGE_MPEG, AVCOL_SPC_BT709, 64, 48},
                                           YuvCase{AVCOL_RANGE_JPEG, AVCOL_SPC_SMPTE170M, 66, 34},
                                           YuvCase{AVCOL_RANGE_MPEG, AVCOL_SPC_UNSPECIFIED, 1280, 720}));

// Brought down in 4:2:0 before converting: on a smooth picture, as close to
// the reference (bicubic) as the filters' edges allow.
TEST(YuvToArgbScaled, DownscaledFastPathsMatchTheReference) {
    FramePtr f = pictureFrame(AV_PIX_FMT_YUV420P, 320, 240);
    f->color_range = AVCOL_RANGE_MPEG;
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < (p ? 120 : 240); ++y)
            for (int x = 0; x < (p ? 160 : 320); ++x)
                f->data[p][y * f->linesize[p] + x] =
                    static_cast<std::uint8_t>(p == 0 ? 32 + (x + y) / 3 : p == 1 ? 96 + x / 3 : 160 - y / 3);
    for (ScaleQuality q : {ScaleQuality::Good, ScaleQuality::Fast}) {
        ArgbImage fast(160, 120), plain(160, 120);
        ArgbConverter a, b;
        a.convert(f.get(), fast.view(), q);
        b.convertReference(f.get(), plain.view(), q);
        EXPECT_LE(worstDifference(fast, plain), 8);
        for (std::size_t i = 0; i < fast.pixels.size(); i += 4) ASSERT_EQ(fast.pixels[i], 255);
    }
}

TEST(ArgbToFrame, FastPathsMatchTheReference) {
    const int w = 62, h = 38;
    ArgbImage src(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = src.view().row(y) + x * 4;
            p[0] = 255;
            p[1] = static_cast<std::uint8_t>(x * 4);
            p[2] = static_cast<std::uint8_t>(y * 6);
            p[3] = static_cast<std::uint8_t>(x * 2 + y * 3);
        }
    for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_BGR0}) {
        FramePtr fast = pictureFrame(format, w, h), plain = pictureFrame(format, w, h);
        FrameConverter a, b;
        a.convert(src.view(), fast.get());
        b.convertReference(src.view(), plain.get());
        int planes = format == AV_PIX_FMT_BGR0 ? 1 : 3;
        int worst = 0;
        for (int p = 0; p < planes; ++p) {
            int ph = p ? (h + 1) / 2 : h, bytes = format == AV_PIX_FMT_BGR0 ? w * 4 : p ? (w + 1) / 2 : w;
            for (int y = 0; y < ph; ++y)
                for (int x = 0; x < bytes; ++x) {
                    if (format == AV_PIX_FMT_BGR0 && x % 4 == 3) continue;  // the unused byte
                    worst = std::max(worst, std::abs(fast->data[p][y * fast->linesize[p] + x] -
                                                     plain->data[p][y * plain->linesize[p] + x]));
                }
        }
        EXPECT_LE(worst, format == AV_PIX_FMT_BGR0 ? 0 : 2) << av_get_pix_fmt_name(format);
    }
}

// Tight rows that end where an unreadable page begins: a read past the
// picture stops the test.
class GuardedPicture {
public:
    GuardedPicture(int w, int h) : bytes_(static_cast<std::size_t>(w) * h * 4) {
        const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        mapped_ = (bytes_ + page - 1) / page * page + page;
        base_ = static_cast<std::uint8_t*>(mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        EXPECT_NE(base_, MAP_FAILED);
        mprotect(base_ + mapped_ - page, page, PROT_NONE);
        view_ = {base_ + mapped_ - page - bytes_, w * 4, w, h};
    }
    ~GuardedPicture() { munmap(base_, mapped_); }
    ArgbView view() const { return view_; }

private:
    std::size_t bytes_, mapped_;
    std::uint8_t* base_;
    ArgbView view_;
};

// The encoder's conversion reads nothing past the last row, whatever the
// height's parity, and gives its plain path's numbers.
TEST(ArgbToFrame, I420ReadsNothingPastThePictureForEveryHeight) {
    const ColourDescription colour = resolveColour({}, 0, 0, false);
    const YuvMatrix matrix = yuvMatrixFor(colour.matrix, colour.fullRange(), 8);
    for (auto [w, h] : {std::pair{64, 38}, {61, 37}, {1024, 1}, {6, 2}, {7, 3}, {33, 4}}) {
        GuardedPicture src(w, h);
        std::mt19937 rng(static_cast<unsigned>(w * 100 + h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w * 4; ++x) src.view().row(y)[x] = static_cast<std::uint8_t>(rng());
        FramePtr fast = pictureFrame(AV_PIX_FMT_YUV420P, w, h), plain = pictureFrame(AV_PIX_FMT_YUV420P, w, h);
        FrameConverter(colour).convert(src.view(), fast.get());
        argbToYuv420(src.view(), matrix, plain->data, plain->linesize, SimdLevel::Plain);
        for (int p = 0; p < 3; ++p) {
            const int ph = p ? (h + 1) / 2 : h, pw = p ? (w + 1) / 2 : w;
            for (int y = 0; y < ph; ++y)
                ASSERT_EQ(std::memcmp(fast->data[p] + y * fast->linesize[p], plain->data[p] + y * plain->linesize[p], pw), 0)
                    << w << "x" << h << " plane " << p << " row " << y;
        }
    }
}

struct BlitCase {
    Rect src, dst;
    int opacity;
};

class BlitOver : public ::testing::TestWithParam<BlitCase> {};

TEST_P(BlitOver, MatchesThePlainMixWithinOne) {
    BlitCase c = GetParam();
    ArgbImage src(40, 30), fast(40, 30), plain(40, 30);
    std::mt19937 rng(11);
    for (auto& b : src.pixels) b = static_cast<std::uint8_t>(rng());
    for (auto& b : fast.pixels) b = static_cast<std::uint8_t>(rng());
    plain.pixels = fast.pixels;
    blitOver(src.view(), fast.view(), c.src, c.dst, c.opacity);
    blitOverReference(src.view(), plain.view(), c.src, c.dst, c.opacity);
    int worst = 0;
    for (std::size_t i = 0; i < fast.pixels.size(); ++i)
        if (i % 4) worst = std::max(worst, std::abs(fast.pixels[i] - plain.pixels[i]));
    EXPECT_LE(worst, 1);
}

INSTANTIATE_TEST_SUITE_P(Areas, BlitOver,
                         ::testing::Values(BlitCase{{0, 0, 30, 40}, {0, 0, 30, 40}, 255},
                                           BlitCase{{0, 0, 30, 40}, {0, 0, 30, 40}, 127},
                                           BlitCase{{0, 0, 30, 40}, {0, 0, 30, 40}, 25},
                                           BlitCase{{5, 4, 15, 24}, {10, 10, 20, 30}, 200},
                                           BlitCase{{0, 0, 30, 40}, {-5, -5, 25, 35}, 128},
                                           BlitCase{{0, 0, 30, 40}, {-5, -5, 40, 50}, 77}));

TEST(BlitOverEnds, OpacityZeroLeavesAndFullReplaces) {
    ArgbImage src(8, 8), dst(8, 8);
    std::fill(src.pixels.begin(), src.pixels.end(), 200);
    std::fill(dst.pixels.begin(), dst.pixels.end(), 10);
    Rect all{0, 0, 8, 8};
    blitOver(src.view(), dst.view(), all, all, 0);
    EXPECT_EQ(dst.pixels[1], 10);
    blitOver(src.view(), dst.view(), all, all, 255);
    EXPECT_EQ(dst.pixels[1], 200);
}

TEST(OutputNames, ChooseContainerAndCodecs) {
    EXPECT_STREQ(outputFormatFor("a.mp4").videoEncoder, "libx264");
    EXPECT_STREQ(outputFormatFor("a.MOV").audioEncoder, "aac");
    EXPECT_STREQ(outputFormatFor("a.mkv").videoEncoder, "ffv1");
    EXPECT_STREQ(outputFormatFor("a.webm").audioEncoder, "libopus");
    EXPECT_TRUE(outputFormatFor("dir.x/f%05d.png").sequence);
    EXPECT_THROW(outputFormatFor("f.png"), HostError);
    EXPECT_THROW(outputFormatFor("movie"), HostError);
    EXPECT_THROW(outputFormatFor("odd.mp4/x"), HostError);
}

// An output whose file cannot be opened, after its codec is, ends the
// encoder's making with an error and keeps nothing (the leak check of the
// sanitizers' build watches the muxer and the codec).
TEST(Encoders, MakingOneThatFailsKeepsNothing) {
    mv::EncoderSettings settings;
    settings.width = 64;
    settings.height = 48;
    EXPECT_THROW(mv::Encoder("out.mkv", "/nonexistent/out.mkv", mv::outputFormatFor("out.mkv"), settings),
                 mv::HostError);
}

TEST(ContactSheetFrames, EvenlySpacedFromFirstToLast) {
    EXPECT_EQ(ContactSheet(100, 64, 48).frames(),
              (std::vector<std::int64_t>{0, 9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99}));
    EXPECT_EQ(ContactSheet(3, 64, 48).frames(), (std::vector<std::int64_t>{0, 1, 2}));
    EXPECT_EQ(ContactSheet(1, 64, 48).frames(), (std::vector<std::int64_t>{0}));
}

TEST(AtomicOutputs, AppearOnlyWhenCommitted) {
    fs::path dir = fs::temp_directory_path() / ("mvatomic-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string target = (dir / "out.mkv").string();
    {
        AtomicOutput out(target, false);
        std::ofstream(out.writePath()) << "partial";
        EXPECT_FALSE(fs::exists(target));
    }
    EXPECT_TRUE(fs::is_empty(dir)) << "an abandoned output leaves nothing";
    {
        AtomicOutput out((dir / "f%03d.png").string(), true);
        std::ofstream((fs::path(out.writePath()).parent_path() / "f000.png").string()) << "x";
        out.commit();
    }
    EXPECT_TRUE(fs::exists(dir / "f000.png"));
    fs::remove_all(dir);
}

}  // namespace

namespace {

// Pictures without alpha arrive opaque, whatever their unused byte holds:
// the plug-in's overlay composites with alpha.
TEST(RgbToArgb, PicturesWithoutAlphaBecomeOpaqueAndExact) {
    for (AVPixelFormat format : {AV_PIX_FMT_BGR0, AV_PIX_FMT_RGB24, AV_PIX_FMT_GBRP}) {
        FramePtr f = newFrame();
        f->format = format;
        f->width = 8;
        f->height = 4;
        ASSERT_EQ(av_frame_get_buffer(f.get(), 0), 0);
        for (int p = 0; p < 4 && f->data[p]; ++p)
            for (int i = 0; i < f->linesize[p] * 4; ++i) f->data[p][i] = static_cast<std::uint8_t>(i * 7);
        ArgbImage out(8, 4), rgb(8, 4);
        ArgbConverter c;
        c.convert(f.get(), out.view(), ScaleQuality::Good);
        for (std::size_t i = 0; i < out.pixels.size(); i += 4) ASSERT_EQ(out.pixels[i], 255) << av_get_pix_fmt_name(format);
    }
}

}  // namespace
