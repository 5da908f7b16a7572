// The frei0r filter: through ffmpeg and melt, frame for frame the render of
// the host program for the same settings (lossless clips; a width at which
// ffmpeg loses the time stamps; odd sizes; the overlay); called as a host
// calls it, the rules for instances, times and values, the smooth and eased
// courses; and the editors' descriptions against its parameter names.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "HostRunner.h"

extern "C" {
#include <frei0r.h>
}

#ifndef MV_FFMPEG_ENV
#define MV_FFMPEG_ENV ""
#endif

namespace {

using mvtest::Scratch;

// What ffmpeg and melt need to find the filter we built. melt loads every
// LADSPA plugin it finds, and under the sanitizers' runtimes some an
// editor's packages bring (swh-plugins) deadlock as they load: it gets none.
std::string HostEnv() {
    return std::string(MV_FFMPEG_ENV) + " LADSPA_PATH=/nonexistent FREI0R_PATH='" +
           (mvtest::buildDir() / "frei0r-1").string() + "'";
}

struct Case {
    int width, height;
    const char* region;  // L,R,T,B
    int zoomIn, zoomOut, overlay;
};

// The filter's frames from ffmpeg, melt and GStreamer against the host program's.
// ffmpeg 5.1 hands every frei0r filter rows padded to 16 pixels without
// saying so, so its cases keep to widths of whole 16s.
TEST(Frei0rThroughHosts, FramesAreTheHostsFrames) {
    const Case cases[] = {
        {96, 64, "0.25,0.75,0.25,0.75", 10, 50, 30},  // the overlay
        {720, 48, "0.1,0.6,0.3,0.9", 40, 20, 0},      // ffmpeg pads the rows and loses the time stamps
        {112, 63, "0.2,0.9,0.05,0.55", 100, 100, 0},  // an odd height, no hold
        {99, 55, "0.3,0.8,0.2,0.7", 30, 30, 0},       // an odd width: melt only
    };
    const std::string env = HostEnv();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        Scratch s;
        const int n = 16;
        mvtest::writeClip(s, s.path("clip.mkv"), c.width, c.height, n, 25, [](int x, int y, int f, std::uint8_t rgb[3]) {
            rgb[0] = static_cast<std::uint8_t>(x * 3 + f);
            rgb[1] = static_cast<std::uint8_t>(y * 5);
            rgb[2] = static_cast<std::uint8_t>(x ^ y);
        });
        ASSERT_EQ(s.host({"settings", "set", "--region", c.region, "--zoom-in", std::to_string(c.zoomIn), "--zoom-out",
                          std::to_string(c.zoomOut), "--overlay", std::to_string(c.overlay)})
                      .status,
                  0);
        ASSERT_EQ(s.host({"render", s.path("clip.mkv").string(), "-o", s.path("host.mkv").string()}).status, 0);
        const auto host = mvtest::readFrames(s, s.path("host.mkv").string(), c.width, c.height);
        ASSERT_EQ(host.size(), static_cast<std::size_t>(n));

        double edges[4];
        ASSERT_EQ(std::sscanf(c.region, "%lf,%lf,%lf,%lf", &edges[0], &edges[1], &edges[2], &edges[3]), 4);
        // Every value within [0, 1], as frei0r asks: the length in millions of
        // frames, the rate in thousands, the time unit in seconds (ffmpeg's are milliseconds).
        const std::string named[][2] = {
            {"left", std::to_string(edges[0])}, {"right", std::to_string(edges[1])},
            {"top", std::to_string(edges[2])}, {"bottom", std::to_string(edges[3])},
            {"zoom-in", std::to_string(c.zoomIn / 100.0)}, {"zoom-out", std::to_string(c.zoomOut / 100.0)},
            {"overlay", std::to_string(c.overlay / 100.0)}, {"frames", std::to_string(n) + "e-6"},
            {"frame-rate", "25e-3"}};
        std::string ffmpegParams, gstParams;
        // melt 7.12 can hang at the end of a clip with several workers (real_time < -1): one worker,
        // and a time limit so that a hang fails instead of stalling the run.
        std::vector<std::string> melt{"timeout", "120", "melt", "-quiet", s.path("clip.mkv").string(), "-filter",
                                      "frei0r.morvatelle"};
        for (const auto& [name, value] : named) {
            ffmpegParams += value + "|";
            gstParams += " " + name + "=" + value;
            melt.push_back(name + "=" + value);
        }
        ffmpegParams += "0.001";
        melt.insert(melt.end(), {"-consumer", "avformat:" + s.path("melt.mkv").string(), "vcodec=ffv1",
                                 "pix_fmt=bgr0", "an=1"});
        // GStreamer's frames come and go raw: ffmpeg unpacks the clip and packs the result.
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height), dir = s.dir().string();
        const std::string gst =
            "cd " + dir + " && ffmpeg -nostdin -v error -i clip.mkv -f rawvideo -pix_fmt rgba clip.rgba && "
            "timeout 120 gst-launch-1.0 -q filesrc location=clip.rgba ! rawvideoparse format=rgba framerate=25/1 width=" +
            std::to_string(c.width) + " height=" + std::to_string(c.height) + " ! frei0r-filter-morva-telle-zoom" + gstParams +
            " ! filesink location=gst.rgba && ffmpeg -nostdin -v error -f rawvideo -pix_fmt rgba -s " + size +
            " -r 25 -i gst.rgba -c:v ffv1 -pix_fmt bgr0 gst.mkv";

        std::vector<std::pair<std::string, std::vector<std::string>>> runs{{"melt.mkv", melt},
                                                                           {"gst.mkv", {"sh", "-c", gst}}};
        if (c.width % 16 == 0)
            runs.push_back({"ffmpeg.mkv",
                            {"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", s.path("clip.mkv").string(), "-vf",
                             "frei0r=filter_name=morvatelle:filter_params=" + ffmpegParams, "-c:v", "ffv1", "-pix_fmt",
                             "bgr0", s.path("ffmpeg.mkv").string()}});
        for (const auto& [out, argv] : runs) {
            SCOPED_TRACE(out);
            const mvtest::RunResult r = s.run(argv, env);
            ASSERT_EQ(r.status, 0) << r.err;
            const auto filter = mvtest::readFrames(s, s.path(out).string(), c.width, c.height);
            ASSERT_EQ(filter.size(), host.size());
            for (int f = 0; f < n; ++f) EXPECT_TRUE(filter[f] == host[f]) << "frame " << f;
        }
    }
}

// Projects as the editors in Debian saved them (kept in data/), rendered by
// melt at a tenth of their size: each clip with the effect, frame for frame
// the host program's render of the same stretch of the source.
//  - Shotcut 22.12: a clip's start trimmed by a second, split at four, the
//    second half moved on by 1.6 s, each half selected once. Shotcut keeps
//    each half's filter to its in and out points and the panel animates the
//    course over it.
//  - Kdenlive 22.12: the start region dragged on the project monitor (the
//    filter's rect, in the project's pixels), the clip's length typed.
TEST(Frei0rThroughHosts, EditorProjectsRunTheCourseOverEachClip) {
    struct Clip {
        int at, in, frames;
    };
    const struct {
        const char* file;
        std::vector<std::pair<std::string, std::string>> edits;  // to the small size and the scratch folder
        std::vector<std::string> settings, melt;
        std::vector<Clip> clips;
        std::size_t length;
    } projects[] = {
        {"shotcut_trimmed_split_moved.mlt",
         {{"clip.mp4", "clip.mkv"}},
         {"--region", "0.25,0.75,0.25,0.75", "--zoom-in", "30", "--zoom-out", "30"},
         {},
         {{25, 25, 75}, {140, 100, 100}},
         240},
        {"kdenlive_region_on_monitor.kdenlive",
         {{"clip.mp4", "clip.mkv"}, {"=423 284 857 436", "=42.3 28.4 85.7 43.6"}, {"root=\"/tmp/ed\"", "root=\"@\""}},
         {"--region", "0.33046875,1,0.39444444444444443,1", "--zoom-in", "10", "--zoom-out", "50"},
         {"out=199"},
         {{0, 0, 200}},
         200},
    };
    const int w = 128, h = 72, n = 200;
    Scratch s;
    mvtest::writeClip(s, s.path("clip.mkv"), w, h, n, 25, [](int x, int y, int f, std::uint8_t rgb[3]) {
        rgb[0] = static_cast<std::uint8_t>(x * 2 + f), rgb[1] = static_cast<std::uint8_t>(y * 3 + f), rgb[2] = 99;
    });
    for (const auto& p : projects) {
        SCOPED_TRACE(p.file);
        std::ifstream in(std::string(MV_SOURCE_DIR) + "/tests/plugin/frei0r/data/" + p.file);
        std::string project((std::istreambuf_iterator<char>(in)), {});
        ASSERT_FALSE(project.empty());
        auto edits = p.edits;
        edits.push_back({"width=\"1280\"", "width=\"128\""});
        edits.push_back({"height=\"720\"", "height=\"72\""});
        for (auto [from, to] : edits) {
            if (to == "root=\"@\"") to = "root=\"" + s.dir().string() + "\"";
            ASSERT_NE(project.find(from), std::string::npos) << from;
            for (auto at = project.find(from); at != std::string::npos; at = project.find(from, at + to.size()))
                project.replace(at, from.size(), to);
        }
        std::ofstream(s.path("project.mlt")) << project;
        std::vector<std::string> settings{"settings", "set"};
        settings.insert(settings.end(), p.settings.begin(), p.settings.end());
        ASSERT_EQ(s.host(settings).status, 0);
        std::vector<std::string> melt{"timeout", "120", "melt", "-quiet", s.path("project.mlt").string()};
        melt.insert(melt.end(), p.melt.begin(), p.melt.end());
        melt.insert(melt.end(), {"-consumer", "avformat:" + s.path("project.mkv").string(), "vcodec=ffv1",
                                 "pix_fmt=bgr0", "an=1", "real_time=-1"});
        const mvtest::RunResult r = s.run(melt, HostEnv());
        ASSERT_EQ(r.status, 0) << r.err;
        const auto rendered = mvtest::readFrames(s, s.path("project.mkv").string(), w, h);
        ASSERT_EQ(rendered.size(), p.length);
        for (const Clip& c : p.clips) {
            ASSERT_EQ(s.host({"render", s.path("clip.mkv").string(), "--start", std::to_string(c.in), "--frames",
                              std::to_string(c.frames), "-o", s.path("host.mkv").string()})
                          .status,
                      0);
            const auto host = mvtest::readFrames(s, s.path("host.mkv").string(), w, h);
            ASSERT_EQ(host.size(), static_cast<std::size_t>(c.frames));
            for (int f = 0; f < c.frames; ++f)
                EXPECT_TRUE(rendered[c.at + f] == host[f]) << "clip from " << c.in << ", frame " << f;
        }
    }
}

// The filter as a host loads it.
class Filter : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        library_ = dlopen((mvtest::buildDir() / "frei0r-1/morvatelle.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
    }
    template <typename F> static F Get(const char* name) { return reinterpret_cast<F>(dlsym(library_, name)); }

    // A frame where every pixel tells where it came from.
    static std::vector<std::uint32_t> Source(int w, int h) {
        std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) px[static_cast<std::size_t>(y) * w + x] = 0xFF000000u | (y << 8) | x;
        return px;
    }
    static std::vector<std::uint32_t> Render(f0r_instance_t i, double time, int w, int h) {
        std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h), in = Source(w, h);
        Get<decltype(&f0r_update)>("f0r_update")(i, time, in.data(), out.data());
        return out;
    }
    static void Set(f0r_instance_t i, int index, double value) {
        Get<decltype(&f0r_set_param_value)>("f0r_set_param_value")(i, &value, index);
    }
    static double Value(f0r_instance_t i, int index) {
        double v = -1;
        Get<decltype(&f0r_get_param_value)>("f0r_get_param_value")(i, &v, index);
        return v;
    }
    static f0r_instance_t Make(int w, int h) {
        f0r_instance_t i = Get<decltype(&f0r_construct)>("f0r_construct")(w, h);
        Set(i, 0, 0.25);
        Set(i, 1, 0.75);
        Set(i, 4, 1);         // zooming in over the first half
        Set(i, 7, 20e-6);     // 20 frames
        Set(i, 9, 0.001);     // times in milliseconds, as ffmpeg's
        return i;
    }
    static void Free(f0r_instance_t i) { Get<decltype(&f0r_destruct)>("f0r_destruct")(i); }
    static inline void* library_ = nullptr;
};

TEST_F(Filter, InstancesTimesAndValues) {
    auto init = Get<decltype(&f0r_init)>("f0r_init");
    ASSERT_EQ(init(), 1);
    ASSERT_EQ(init(), 1) << "again, as ffmpeg does per instance";
    f0r_plugin_info_t info{};
    Get<decltype(&f0r_get_plugin_info)>("f0r_get_plugin_info")(&info);
    EXPECT_EQ(info.color_model, F0R_COLOR_MODEL_RGBA8888);

    // A frame is its time's, whatever came before and whichever instance renders it.
    f0r_instance_t a = Make(64, 48), b = Make(64, 48);
    const auto atFrame5 = Render(a, 200, 64, 48);  // 200 ms at 25 frames a second
    Render(b, 600, 64, 48);
    Render(b, 40, 64, 48);
    EXPECT_EQ(Render(b, 200, 64, 48), atFrame5) << "out of order";
    EXPECT_NE(Render(b, 40, 64, 48), atFrame5);
    // Without a usable time, the frame after the last one rendered.
    for (double unusable : {-9.2e18, std::numeric_limits<double>::quiet_NaN(), 1e300}) {
        Render(a, 160, 64, 48);
        EXPECT_EQ(Render(a, unusable, 64, 48), atFrame5) << unusable;
    }
    // Held to their ranges; not-a-number leaves the value alone.
    const struct {
        int index;
        double set, want;
    } values[] = {{0, -3, 0}, {1, 7, 1}, {4, 2.5, 1}, {6, -1, 0}, {7, -5, 0}, {8, 0, 1e-6},
                  {4, std::numeric_limits<double>::quiet_NaN(), 1}};
    for (const auto& v : values) {
        Set(a, v.index, v.set);
        EXPECT_EQ(Value(a, v.index), v.want) << "parameter " << v.index << " set to " << v.set;
    }
    Render(a, 200, 64, 48);  // and nothing a user types breaks it
    Free(a);
    Free(b);

    // Settings that render alike at every time. Above 1 the length, rate and
    // time unit are read in the plain units earlier versions took. A rectangle
    // as an editor's monitor draws it (pixels, percent, the first of MLT's
    // keyframes; handed as frei0r says, or as the text itself, as GStreamer
    // 1.22 hands a playing element's) stands for the edges; text that is no
    // rectangle, or the whole frame (an editor's default), leaves them.
    const struct {
        int index;
        double plain, within;
        const char* rect;  // set in place of `plain`, against top 0.25 and bottom 0.75 with `within`
    } alike[] = {{7, 20, 20e-6, nullptr}, {8, 30, 30e-3, nullptr}, {9, 1000, 0.001, nullptr},
                 {3, 0, 0.75, "16 12 32 24"}, {3, 0, 0.75, "25% 25% 50% 50%"},
                 {3, 0, 0.75, "0=16 12 32 24 1;99=0 0 64 48 1"}, {3, 0, 0.75, "00:00:00.000=48 36 -32 -24"},
                 {3, 0, 0.75, "16\t12\n32 24"}, {3, 0, 1, "16 12 32"}, {3, 0, 1, "0 0 100% 100%"}};
    for (const auto& c : alike)
        for (bool itself : {false, true}) {
            if (!c.rect && itself) continue;
            f0r_instance_t one = Make(64, 48), other = Make(64, 48);
            if (c.rect) {
                const std::string text = c.rect;  // a host's copy (a short one in the string's own buffer)
                const char* pointer = text.c_str();
                Get<decltype(&f0r_set_param_value)>("f0r_set_param_value")(
                    one, itself ? const_cast<char*>(pointer) : static_cast<void*>(&pointer), 13);
                const char* back = nullptr;
                Get<decltype(&f0r_get_param_value)>("f0r_get_param_value")(one, &back, 13);
                EXPECT_STREQ(back, c.rect);
                if (c.within < 1) Set(other, 2, 0.25);
            } else {
                Set(one, c.index, c.plain);
            }
            Set(other, c.index, c.within);
            for (double ms : {0.0, 120.0, 280.0, 900.0})
                EXPECT_EQ(Render(one, ms, 64, 48), Render(other, ms, 64, 48))
                    << "parameter " << c.index << " " << (c.rect ? c.rect : "") << (itself ? ", itself" : "") << " at " << ms;
            Free(one);
            Free(other);
        }

    // An animated course (0 at the first frame, 1 at the last, as MLT animates
    // it) gives the length itself: the frames are those of the given length.
    for (int length : {2, 21, 37}) {
        f0r_instance_t given = Make(64, 48), animated = Make(64, 48);
        Set(given, 7, length * 1e-6);
        Set(animated, 7, length * 1e-6);  // the length as an editor wrote it when the filter was added
        for (int f = 0; f < length; ++f) {
            Set(animated, 12, f / double(length - 1));
            EXPECT_EQ(Render(animated, f * 40.0, 64, 48), Render(given, f * 40.0, 64, 48)) << length << ", frame " << f;
            Set(animated, 7, 1e-6);  // then stale, and shorter: the course decides
        }
        Free(given);
        Free(animated);
    }
    // Neither a length nor a course: the region stands from the first frame on.
    f0r_instance_t held = Make(64, 48);
    Set(held, 7, 0);
    EXPECT_EQ(Render(held, 0, 64, 48), Render(held, 200, 64, 48));
    EXPECT_NE(Render(held, 0, 64, 48), Source(64, 48));
    Free(held);

    // Another size is another instance, as MLT makes them.
    f0r_instance_t c = Make(31, 17);
    EXPECT_EQ(Render(c, 0, 31, 17), Source(31, 17)) << "the first frame is the whole frame";
    Set(c, 0, 0.5);
    Set(c, 1, 0.5);
    EXPECT_EQ(Render(c, 400, 31, 17), Source(31, 17)) << "a region of no width draws nothing over the frame";
    Free(c);
    EXPECT_EQ(Get<decltype(&f0r_construct)>("f0r_construct")(0, 10), nullptr);
}

// A course far into a long source: the host's time counts from the source's
// start while the course keyframes count from the clip's, so a small course
// value and a late time give a length of hundreds of millions of frames,
// whose shares pass 2^31. The frame stands at the same place on the course (a
// twentieth of the zoom in) at every offset up to a day, as at the start.
TEST_F(Filter, ACourseFarIntoALongSourceKeepsItsPlace) {
    f0r_instance_t i = Make(640, 8);
    Set(i, 4, 0.3);
    Set(i, 5, 0.6);
    Set(i, 12, 0.0075);  // the course, so far along: a twentieth of the zoom in
    const auto first = Render(i, 40, 640, 8);
    EXPECT_NE(first, Source(640, 8)) << "part of the way in";
    for (const double seconds : {59.96, 3599.96, 21599.96, 43199.96, 86399.96})
        EXPECT_EQ(Render(i, seconds * 1000, 640, 8), first) << seconds << " s into the source";
    Free(i);
}

// Where a picture's edge stands in a frame: the source is dark left of x = 180
// and bright from it, so the bright share of a row, whatever the sampling
// blends, is the distance from the edge to the right side of the frame.
double EdgeAt(const std::vector<std::uint32_t>& px, int w) {
    double bright = 0;
    for (int x = 0; x < w; ++x) bright += (px[static_cast<std::size_t>(x)] & 0xFF) / 255.0;
    return w - bright;
}

// A slow zoom: the crop's left side moves 16 pixels over 40 frames, its right
// side stays, then the region holds, so the edge moves left by a tenth of a
// pixel a frame. Smooth, it moves on every frame of the zoom, never back, and
// into the hold without settling, where it then stands; exact, it stands
// still and jumps whole pixels.
TEST_F(Filter, SmoothZoomGlidesWhereTheExactOneSteps) {
    const int w = 240, h = 8;
    std::vector<std::uint32_t> source(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = 0xFF000000u | (i % w >= 180 ? 0xFFu : 0u);
    auto course = [&](bool smooth) {
        f0r_instance_t i = Get<decltype(&f0r_construct)>("f0r_construct")(w, h);
        Set(i, 0, 16.0 / w);
        Set(i, 4, 1);      // zooming in over the first half
        Set(i, 7, 80e-6);  // 80 frames
        Set(i, 9, 0.001);  // times in milliseconds
        Set(i, 10, smooth);
        std::vector<std::vector<std::uint32_t>> frames;
        for (int f = 0; f < 44; ++f) {
            frames.emplace_back(source.size());
            Get<decltype(&f0r_update)>("f0r_update")(i, f * 40.0, source.data(), frames.back().data());
        }
        Free(i);
        return frames;
    };
    const auto smooth = course(true), exact = course(false);
    int exactStalls = 0;
    for (std::size_t f = 1; f < smooth.size(); ++f) {
        const double step = EdgeAt(smooth[f - 1], w) - EdgeAt(smooth[f], w);
        if (f <= 40) {
            EXPECT_GT(step, 0.05) << "frame " << f;
            EXPECT_LT(step, 0.2) << "frame " << f;
            exactStalls += EdgeAt(exact[f - 1], w) == EdgeAt(exact[f], w);
        } else {
            EXPECT_EQ(smooth[f], smooth[f - 1]) << "the hold, frame " << f;
        }
    }
    EXPECT_GE(exactStalls, 20) << "the exact course moves by whole pixels";
    EXPECT_EQ(smooth.front(), source) << "the whole frame";
}

// Easing leaves the course's ends and middle where they were and slows its start.
TEST_F(Filter, EasingSlowsTheZoomsStartAndEnd) {
    auto at = [&](bool easing, double ms) {
        f0r_instance_t i = Make(64, 48);
        Set(i, 11, easing);
        auto frame = Render(i, ms, 64, 48);
        Free(i);
        return frame;
    };
    for (double ms : {0.0, 200.0, 400.0, 600.0}) EXPECT_EQ(at(true, ms), at(false, ms)) << ms << " ms";
    EXPECT_NE(at(true, 80), at(false, 80));
}

// MLT's sliced threading (threads=2 on the filter) hands each instance a band
// of the frame: each band is zoomed as a picture of its own.
TEST_F(Filter, MeltBandsAreZoomedAsPicturesOfTheirOwn) {
    if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "MLT makes one band on one processor";
    const int w = 96, h = 64, n = 6;
    Scratch s;
    mvtest::writeClip(s, s.path("clip.mkv"), w, h, n, 25, [](int x, int y, int f, std::uint8_t rgb[3]) {
        rgb[0] = static_cast<std::uint8_t>(x * 2 + f), rgb[1] = static_cast<std::uint8_t>(y * 3), rgb[2] = 7;
    });
    const std::string env = HostEnv();
    const mvtest::RunResult r =
        s.run({"timeout", "120", "melt", "-quiet", s.path("clip.mkv").string(), "-filter", "frei0r.morvatelle", "threads=2", "left=0.25",
               "right=0.75", "zoom-in=1", "frames=12e-6", "frame-rate=25e-3", "-consumer",
               "avformat:" + s.path("bands.mkv").string(), "vcodec=ffv1", "pix_fmt=bgr0", "an=1"},
              env);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto source = mvtest::readFrames(s, s.path("clip.mkv").string(), w, h);
    const auto bands = mvtest::readFrames(s, s.path("bands.mkv").string(), w, h);
    ASSERT_EQ(bands.size(), source.size());
    f0r_instance_t band = Get<decltype(&f0r_construct)>("f0r_construct")(w, h / 2);
    const double values[][2] = {{0, 0.25}, {1, 0.75}, {4, 1}, {7, 12e-6}, {8, 25e-3}, {9, 1}};
    for (const auto& v : values) Set(band, static_cast<int>(v[0]), v[1]);
    for (int f = 0; f < n; ++f)
        for (int half = 0; half < 2; ++half) {
            std::vector<std::uint32_t> in(static_cast<std::size_t>(w) * h / 2), out(in.size());
            for (std::size_t i = 0; i < in.size(); ++i) {
                const std::uint8_t* p = &source[f][(half * in.size() + i) * 3];
                in[i] = 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
            }
            Get<decltype(&f0r_update)>("f0r_update")(band, f / 25.0, in.data(), out.data());
            for (std::size_t i = 0; i < out.size(); ++i) {
                const std::uint8_t* p = &bands[f][(half * in.size() + i) * 3];
                ASSERT_EQ(out[i] & 0xFFFFFFu, static_cast<std::uint32_t>((p[2] << 16) | (p[1] << 8) | p[0]))
                    << "frame " << f << ", band " << half << ", pixel " << i;
            }
        }
    Free(band);
}

// The editors' descriptions against the filter's own table: every name is
// the filter's; Kdenlive's defaults are the values a new instance holds (its
// factor is for display only), its kinds match, and its ranges, brought back
// by the factor, stay within [0, 1]; Shotcut's defaults are the filter's too.
TEST_F(Filter, EditorDescriptionsAreTheFiltersTable) {
    struct Known {
        int type;
        double value;
    };
    std::map<std::string, Known> filter;
    f0r_instance_t fresh = Get<decltype(&f0r_construct)>("f0r_construct")(16, 16);
    for (int i = 0; i < 14; ++i) {
        f0r_param_info_t info{};
        Get<decltype(&f0r_get_param_info)>("f0r_get_param_info")(&info, i);
        filter[info.name] = Known{info.type, info.type == F0R_PARAM_STRING ? 0 : Value(fresh, i)};
    }
    Free(fresh);
    auto read = [](const char* file) {
        std::ifstream in(std::string(MV_SOURCE_DIR) + "/plugin/frei0r/editors/" + file);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    // Each text in `text` between `opener` and the next `closer`. (No
    // std::regex: GCC 12's warns of itself under the sanitizers.)
    auto between = [](const std::string& text, const std::string& opener, const std::string& closer) {
        std::vector<std::string> found;
        for (auto at = text.find(opener); at != std::string::npos; at = text.find(opener, at + 1)) {
            const auto from = at + opener.size();
            found.push_back(text.substr(from, text.find(closer, from) - from));
        }
        return found;
    };
    auto attribute = [&](const std::string& element, const std::string& name, const char* otherwise) {
        const auto values = between(element, " " + name + "=\"", "\"");
        return values.empty() ? std::string(otherwise) : values.front();
    };

    const std::string kdenlive = read("kdenlive/frei0r_morvatelle.xml");
    int described = 0;
    for (const std::string& attributes : between(kdenlive, "<parameter", ">")) {
        const std::string element = attributes + " ", name = attribute(element, "name", "");
        SCOPED_TRACE("Kdenlive's " + name);
        ASSERT_TRUE(filter.count(name));
        const Known& known = filter[name];
        const std::string type = attribute(element, "type", "");
        EXPECT_EQ(type == "bool", known.type == F0R_PARAM_BOOL) << type;
        if (known.type == F0R_PARAM_STRING) {
            // The whole frame, which leaves the edges in charge (see the rectangles above).
            EXPECT_EQ(type, "animatedrect");
            EXPECT_EQ(attribute(element, "default", ""), "0 0 100% 100%");
            ++described;
            continue;
        }
        EXPECT_TRUE(type == "bool" || type == "constant" || type == "hidden") << type << ": a kind Kdenlive 22.12 knows";
        EXPECT_DOUBLE_EQ(std::stod(attribute(element, "default", "nan")), known.value);
        const double factor = std::stod(attribute(element, "factor", "1"));
        for (const char* bound : {"min", "max"}) {
            const double v = std::stod(attribute(element, bound, "0")) / factor;
            EXPECT_TRUE(v >= 0 && v <= 1) << bound << " " << v;
        }
        ++described;
    }
    EXPECT_EQ(described, 9) << "the rectangle for the four edges, and every other parameter but the animated "
                               "course, which Kdenlive 22.12 cannot keep to a clip";

    // Shotcut's table of percent parameters: ['name', qsTr('label'), default].
    const std::string shotcut = read("shotcut/morvatelle/ui.qml");
    int defaults = 0;
    for (const std::string& entry : between(shotcut, "['", "]")) {
        const std::string name = entry.substr(0, entry.find('\''));
        if (entry.find("qsTr(") == std::string::npos) continue;
        ASSERT_TRUE(filter.count(name)) << "Shotcut's " << name;
        EXPECT_DOUBLE_EQ(std::stod(entry.substr(entry.rfind(',') + 1)) / 100, filter[name].value) << "Shotcut's " << name;
        ++defaults;
    }
    EXPECT_EQ(defaults, 7);
    for (const char* file : {"shotcut/morvatelle/ui.qml", "../../mlt/editors/shotcut/morvatelle_zoom/vui.qml"}) {
        const std::string text = read(file);
        for (const char* opener : {"filter.set('", "filter.getDouble('"})
            for (const std::string& name : between(text, opener, "'"))
                EXPECT_TRUE(filter.count(name)) << file << ": " << name;
    }
    // Qt 5 loads only versioned imports.
    for (const char* file : {"shotcut/morvatelle/ui.qml", "shotcut/morvatelle/meta.qml"})
        for (const std::string& line : between("\n" + read(file), "\nimport ", "\n"))
            EXPECT_TRUE(line.find(' ') != std::string::npos &&
                        std::isdigit(static_cast<unsigned char>(line[line.find(' ') + 1])))
                << file << ": import " << line;
}

}  // namespace
