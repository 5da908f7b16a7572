// The host end to end: tiny lossless clips through the plug-in, every frame
// checked against the course written out plainly, sound sample for sample.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "CourseReference.h"
#include "HostRunner.h"

namespace fs = std::filesystem;
using namespace mvtest;

namespace {

constexpr int W = 64, H = 48, N = 24, FPS = 24;

// Every pixel tells where it came from: red the column, green the row, blue the frame.
void pattern(int x, int y, int f, std::uint8_t rgb[3]) {
    rgb[0] = static_cast<std::uint8_t>(x * 4);
    rgb[1] = static_cast<std::uint8_t>(y * 5);
    rgb[2] = static_cast<std::uint8_t>(f * 10);
}

Picture sourceFrame(int f, int w = W, int h = H) {
    Picture p(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pattern(x, y, f, &p[(static_cast<std::size_t>(y) * w + x) * 3]);
    return p;
}

std::vector<std::int16_t> tone(int frames) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(frames) * 48000 / FPS * 2);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::int16_t>((i * 7919) % 60001 - 30000);
    return s;
}

class RenderCourse : public ::testing::Test {
protected:
    void SetUp() override {
        writeClip(s, s.path("in.mkv"), W, H, N, FPS, pattern, tone(N));
        RunResult set = s.host({"settings", "set", "--region", "0.25,0.75,0.125,0.625", "--zoom-in", "40",
                                "--zoom-out", "60"});
        ASSERT_EQ(set.status, 0) << set.err;
    }

    RunResult render(std::vector<std::string> extra) {
        std::vector<std::string> args{"render", s.path("in.mkv").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return s.host(args);
    }

    void expectCourse(const std::vector<Picture>& frames, int first, int count) {
        ASSERT_EQ(static_cast<int>(frames.size()), count);
        for (int r = 0; r < count; ++r) {
            Crop crop = courseCrop(course, W, H, r, count);
            EXPECT_EQ(frames[r], zoomed(sourceFrame(first + r), W, H, crop)) << "output frame " << r;
        }
    }

    Scratch s;
    Course course{{0.25, 0.75, 0.125, 0.625}, 40, 60};
};

TEST_F(RenderCourse, LosslessOutputFollowsTheCourseAndKeepsTheSound) {
    RunResult r = render({"-o", s.path("out.mkv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << "a render to a file says nothing: " << r.err;
    expectCourse(readFrames(s, s.path("out.mkv").string(), W, H), 0, N);
    EXPECT_EQ(readSound(s, s.path("out.mkv").string()), tone(N));
}

// Standard output in Y4M and NUT: the same pictures in both, NUT with the sound.
TEST_F(RenderCourse, StreamsToStandardOutputCarryTheRender) {
    std::vector<std::vector<Picture>> pictures;
    for (const char* format : {"y4m", "nut"}) {
        RunResult r = render({"-o", "-", "--format", format});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string file = s.path(std::string("out.") + format).string();
        std::ofstream(file, std::ios::binary) << r.out;
        pictures.push_back(readFrames(s, file, W, H));
        ASSERT_EQ(static_cast<int>(pictures.back().size()), N) << format;
    }
    EXPECT_TRUE(pictures[0] == pictures[1]);
    EXPECT_EQ(readSound(s, s.path("out.nut").string()), tone(N));
}

TEST_F(RenderCourse, SubClipToImageSequenceRunsTheCourseOverItsOwnFrames) {
    RunResult r = render({"-o", s.path("frame%05d.png").string(), "--start", "5", "--frames", "10"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(s.path("frame00009.png")));
    EXPECT_FALSE(fs::exists(s.path("frame00010.png")));
    expectCourse(readFrames(s, s.path("frame%05d.png").string(), W, H), 5, 10);
}

TEST_F(RenderCourse, SubClipSoundIsTheSourcesSpan) {
    RunResult r = render({"-o", s.path("out.mkv").string(), "--start", "6", "--frames", "6"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::int16_t> all = tone(N);
    const std::size_t perFrame = 48000 / FPS * 2;
    std::vector<std::int16_t> span(all.begin() + 6 * perFrame, all.begin() + 12 * perFrame);
    EXPECT_EQ(readSound(s, s.path("out.mkv").string()), span);
}

TEST_F(RenderCourse, FadesBlendTheUntouchedFrameWithinOne) {
    RunResult r = render({"-o", s.path("out.mkv").string(), "--fade-in", "5", "--fade-out", "4"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<Picture> frames = readFrames(s, s.path("out.mkv").string(), W, H);
    ASSERT_EQ(static_cast<int>(frames.size()), N);
    int faded = 0;
    for (int f = 0; f < N; ++f) {
        Picture effect = zoomed(sourceFrame(f), W, H, courseCrop(course, W, H, f, N));
        Picture source = sourceFrame(f);
        int op = fadeOpacity(f, N, 5, 4);
        if (op < 0) {
            EXPECT_EQ(frames[f], effect) << "frame " << f;
            continue;
        }
        ++faded;
        int worst = 0;
        for (std::size_t i = 0; i < effect.size(); ++i) {
            int want = (source[i] * op + effect[i] * (255 - op)) / 255;
            worst = std::max(worst, std::abs(frames[f][i] - want));
        }
        EXPECT_LE(worst, 1) << "frame " << f << " opacity " << op;
    }
    EXPECT_EQ(faded, 5 + 3);  // r > n - fo: frames 21, 22, 23
}

TEST_F(RenderCourse, ProxyRenderHasSilenceForSound) {
    RunResult r = render({"-o", s.path("out.mkv").string(), "--proxy"});
    ASSERT_EQ(r.status, 0) << r.err;
    expectCourse(readFrames(s, s.path("out.mkv").string(), W, H), 0, N);
    std::vector<std::int16_t> sound = readSound(s, s.path("out.mkv").string());
    EXPECT_EQ(sound.size(), tone(N).size());
    EXPECT_EQ(std::count(sound.begin(), sound.end(), 0), static_cast<long>(sound.size()));
}

TEST_F(RenderCourse, StillImageBecomesAClipOfItsDuration) {
    s.ffmpeg({"-i", s.path("in.mkv").string(), "-frames:v", "1", s.path("still.png").string()});
    RunResult r = s.host({"render", s.path("still.png").string(), "--duration", "1.5", "--fps", "8", "-o",
                          s.path("still.mkv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<Picture> frames = readFrames(s, s.path("still.mkv").string(), W, H);
    ASSERT_EQ(frames.size(), 12u);
    for (int f = 0; f < 12; ++f)
        EXPECT_EQ(frames[f], zoomed(sourceFrame(0), W, H, courseCrop(course, W, H, f, 12))) << "frame " << f;
}

// A photo named without --duration is shown for five seconds, and says so.
TEST_F(RenderCourse, StillImageWithoutDurationLastsFiveSeconds) {
    s.ffmpeg({"-i", s.path("in.mkv").string(), "-frames:v", "1", s.path("still.png").string()});
    RunResult r = s.host({"render", s.path("still.png").string(), "--fps", "4", "-o", s.path("still.mkv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("is a still image: showing it for 5 s at 4 fps"), std::string::npos) << r.err;
    std::vector<Picture> frames = readFrames(s, s.path("still.mkv").string(), W, H);
    ASSERT_EQ(frames.size(), 20u);
    EXPECT_EQ(frames[19], zoomed(sourceFrame(0), W, H, courseCrop(course, W, H, 19, 20)));
}

// Non-square pixels keep their shape on screen, also through --size.
TEST_F(RenderCourse, PixelShapeIsKept) {
    s.ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10:duration=0.3,setsar=8/9", "-c:v", "ffv1",
              s.path("dv.mkv").string()});
    auto pixelShape = [&](const std::string& file) {
        RunResult p = s.run({"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries",
                             "stream=sample_aspect_ratio", "-of", "csv=p=0", s.path(file).string()});
        return p.out.substr(0, p.out.find('\n'));
    };
    for (const auto& [size, shape] : {std::pair{"", "8:9"}, {"32x48", "16:9"}, {"64x54", "1:1"}}) {
        std::vector<std::string> args{"render", s.path("dv.mkv").string(), "-o", s.path("out.mkv").string()};
        if (*size) args.insert(args.end(), {"--size", size});
        RunResult r = s.host(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(pixelShape("out.mkv"), shape) << "--size " << size;
    }
}

// A clip stored turned (a phone held upright) is rendered the way it is
// shown: the course runs over the upright picture.
TEST_F(RenderCourse, TurnedClipIsRenderedUpright) {
    s.ffmpeg({"-i", s.path("in.mkv").string(), "-an", "-c:v", "png", s.path("stored.mov").string()});
    s.ffmpeg({"-i", s.path("stored.mov").string(), "-c", "copy", "-metadata:s:v:0", "rotate=90",
              s.path("turned.mov").string()});
    RunResult r = s.host({"render", s.path("turned.mov").string(), "-o", s.path("out.mkv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    // The tag turns the picture a quarter counter-clockwise: H wide, W high.
    auto upright = [](const Picture& stored) {
        Picture p(stored.size());
        for (int v = 0; v < W; ++v)
            for (int u = 0; u < H; ++u)
                std::copy_n(&stored[(static_cast<std::size_t>(u) * W + (W - 1 - v)) * 3], 3,
                            &p[(static_cast<std::size_t>(v) * H + u) * 3]);
        return p;
    };
    std::vector<Picture> frames = readFrames(s, s.path("out.mkv").string(), H, W);
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(N));
    for (int f = 0; f < N; ++f)
        EXPECT_EQ(frames[f], zoomed(upright(sourceFrame(f)), H, W, courseCrop(course, H, W, f, N))) << "frame " << f;
}

// A clip with a gap in its pictures (variable frame rate) is laid on its
// nominal rate: the frame before the gap is held, so the sound keeps step.
TEST_F(RenderCourse, GapInAVariableRateClipHoldsTheFrameBefore) {
    s.ffmpeg({"-i", s.path("in.mkv").string(), "-vf", "select='not(between(n,8,11))'", "-fps_mode", "passthrough",
              "-c:v", "ffv1", "-c:a", "copy", s.path("gap.mkv").string()});
    RunResult r = s.host({"render", s.path("gap.mkv").string(), "-o", s.path("out.mkv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<Picture> frames = readFrames(s, s.path("out.mkv").string(), W, H);
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(N));
    for (int f = 0; f < N; ++f) {
        const int shown = f >= 8 && f <= 11 ? 7 : f;
        EXPECT_EQ(frames[f], zoomed(sourceFrame(shown), W, H, courseCrop(course, W, H, f, N))) << "frame " << f;
    }
    EXPECT_EQ(readSound(s, s.path("out.mkv").string()), tone(N));

    // A sub-clip that starts inside the gap seeks onto the same grid.
    r = s.host({"render", s.path("gap.mkv").string(), "-o", s.path("sub.mkv").string(), "--start", "10",
                "--frames", "6"});
    ASSERT_EQ(r.status, 0) << r.err;
    frames = readFrames(s, s.path("sub.mkv").string(), W, H);
    ASSERT_EQ(frames.size(), 6u);
    for (int f = 0; f < 6; ++f) {
        const int shown = 10 + f <= 11 ? 7 : 10 + f;
        EXPECT_EQ(frames[f], zoomed(sourceFrame(shown), W, H, courseCrop(course, W, H, f, 6))) << "frame " << f;
    }
}

// ffmpeg's own AVI with sound counts 51 frames for 50 pictures (frame 1 is
// an empty chunk): the clip is rendered whole on its time grid.
TEST_F(RenderCourse, AviThatCountsAnEmptyFrameRendersWhole) {
    s.ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=2", "-f", "lavfi", "-i", "anoisesrc=d=2",
              "-c:v", "mpeg4", "-c:a", "libmp3lame", s.path("x.avi").string()});
    RunResult r = s.host({"render", s.path("x.avi").string(), "-o", s.path("out.mkv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFrames(s, s.path("out.mkv").string(), 64, 48).size(), 51u);
}

// A photo tagged "turn a quarter clockwise" (EXIF orientation 6, as phones
// write it) is rendered turned, like the same photo without the tag turned.
TEST_F(RenderCourse, PhotoIsTurnedByItsOrientationTag) {
    s.ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48", "-frames:v", "1", s.path("plain.jpg").string()});
    std::ifstream in(s.path("plain.jpg"), std::ios::binary);
    std::string jpeg((std::istreambuf_iterator<char>(in)), {});
    // APP1 "Exif": a little-endian TIFF header and one entry, Orientation = 6.
    const std::string exif("\xFF\xE1\x00\x22" "Exif\0\0" "II*\0\x08\0\0\0" "\x01\0"
                           "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0" "\0\0\0\0", 36);
    std::ofstream(s.path("turned.jpg"), std::ios::binary) << jpeg.substr(0, 2) << exif << jpeg.substr(2);
    ASSERT_EQ(s.host({"settings", "reset"}).status, 0);
    for (const char* name : {"plain", "turned"}) {
        RunResult r = s.host({"render", s.path(std::string(name) + ".jpg").string(), "--duration", "0.1", "--fps",
                              "10", "-o", s.path(std::string(name) + ".mkv").string()});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    const Picture plain = readFrames(s, s.path("plain.mkv").string(), 64, 48).at(0);
    Picture turned(plain.size());
    for (int v = 0; v < 64; ++v)
        for (int u = 0; u < 48; ++u)
            std::copy_n(&plain[(static_cast<std::size_t>(47 - u) * 64 + v) * 3], 3,
                        &turned[(static_cast<std::size_t>(v) * 48 + u) * 3]);
    EXPECT_EQ(readFrames(s, s.path("turned.mkv").string(), 48, 64).at(0), turned);
}

TEST_F(RenderCourse, ThumbnailIsThePlaceholderFrame) {
    RunResult r = s.host({"thumbnail", s.path("in.mkv").string(), "-o", s.path("thumb.png").string(), "--frame", "20"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<Picture> frames = readFrames(s, s.path("thumb.png").string(), W, H);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], zoomed(sourceFrame(20), W, H, courseCrop(course, W, H, 20, N)));
}

TEST_F(RenderCourse, ContactSheetIsWritten) {
    RunResult r = render({"-o", s.path("out.mkv").string(), "--contact-sheet", s.path("sheet.png").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_GT(fs::file_size(s.path("sheet.png")), 0u);
}

TEST(RenderDefaultClip, HelpOfEveryCommandSucceeds) {
    Scratch s;
    for (const char* cmd : {"render", "info", "thumbnail"}) {
        RunResult r = s.host({cmd, "--help"});
        EXPECT_EQ(r.status, 0) << cmd;
        EXPECT_NE(r.out.find("Usage"), std::string::npos) << cmd;
    }
}

TEST(RenderDefaultClip, InfoDescribesAFilter) {
    Scratch s;
    RunResult r = s.host({"info"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("filter (105)"), std::string::npos) << r.out;
}

}  // namespace
