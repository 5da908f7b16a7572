// The GStreamer element in GES timelines as Pitivi builds and saves them and
// in a plain pipeline: each clip's frames are the host program's render of
// its stretch, bit for bit. Where a frame stands, from the segment, the
// stream's duration or the element's own length.
#include <ges/ges.h>
#include <gst/app/gstappsink.h>
#include <gst/controller/gstinterpolationcontrolsource.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "HostRunner.h"
#include "gstreamer/ClipSpan.h"

// Under the address sanitizer: whole stacks for what GLib allocates (built
// without frame pointers), so that what it keeps for the process's life is
// told apart from what we leak (tests/lsan.supp).
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

namespace {

namespace fs = std::filesystem;
using mvtest::Picture;
using mvtest::Scratch;

const int kWidth = 128, kHeight = 72, kFrames = 200, kRate = 25;
constexpr GstClockTime kFrame = GST_SECOND / kRate;

// GStreamer finds the element we built before any installed one and scans
// plug-ins in this process, leaving out Debian's frei0r and LADSPA plugins
// (some deadlock as they load under the sanitizers' runtimes) and the
// plug-ins that keep what they allocate as they load (Python's, OpenNI2's).
void InitGStreamer() {
    static const Scratch scratch;  // for the process's life: plug-ins load as they are first used
    static const bool ready = [&] {
        const fs::path system = scratch.path("system-plugins");
        fs::create_directory(system);
        for (const auto& plugin : fs::directory_iterator(GST_PLUGINS_DIR))
            if (const auto name = plugin.path().filename().string();
                name != "libgstpython.so" && name != "libgstopenni2.so" && name != "libgstmorvatelle.so")
                fs::create_symlink(plugin.path(), system / name);
        for (const auto& [name, value] :
             {std::pair{"GST_PLUGIN_SYSTEM_PATH", system.string()}, {"GST_REGISTRY", scratch.path("registry").string()},
              {"GST_PLUGIN_PATH", (mvtest::buildDir() / "gstreamer-1.0").string()}, {"GST_REGISTRY_FORK", "no"},
              {"FREI0R_PATH", "/nonexistent"}, {"LADSPA_PATH", "/nonexistent"}})
            setenv(name, value.c_str(), 1);
        gst_init(nullptr, nullptr);
        return ges_init();
    }();
    ASSERT_TRUE(ready);
}

// Frames (RGB) by their place in the stream, in frames from its start.
using Frames = std::map<std::int64_t, Picture>;

// Every frame that reaches the sink, played from the pipeline's state
// (stopped, or paused at a seek) to the end of the stream.
Frames Pull(GstElement* pipeline, GstAppSink* sink) {
    Frames frames;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    EXPECT_NE(gst_element_get_state(pipeline, nullptr, nullptr, 20 * GST_SECOND), GST_STATE_CHANGE_FAILURE);
    while (GstSample* sample = gst_app_sink_try_pull_sample(sink, 20 * GST_SECOND)) {
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        const GstClockTime at =
            gst_segment_to_stream_time(gst_sample_get_segment(sample), GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
        Picture rgb(gst_buffer_get_size(buffer));
        gst_buffer_extract(buffer, 0, rgb.data(), rgb.size());
        const auto place = static_cast<std::int64_t>(gst_util_uint64_scale_round(at, 1, kFrame));
        EXPECT_TRUE(frames.try_emplace(place, std::move(rgb)).second) << "frame " << place << " twice";
        gst_sample_unref(sample);
    }
    EXPECT_TRUE(gst_app_sink_is_eos(sink)) << "no frame for 20 s";
    GstBus* bus = gst_element_get_bus(pipeline);
    if (GstMessage* error = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR)) {
        GError* e = nullptr;
        gst_message_parse_error(error, &e, nullptr);
        ADD_FAILURE() << e->message;
        g_error_free(e);
        gst_message_unref(error);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    return frames;
}

struct Clip {
    int at, in, frames;  // where it plays, its first source frame, its length
};

class GStreamer : public ::testing::Test {
protected:
    // An RGB clip with an opaque alpha: GStreamer reads FFV1's RGB with an
    // empty fourth byte as alpha 0.
    void SetUp() override {
        InitGStreamer();
        mvtest::writeClip(s, s.path("rgb.mkv"), kWidth, kHeight, kFrames, kRate, [](int x, int y, int f, std::uint8_t rgb[3]) {
            rgb[0] = static_cast<std::uint8_t>(x * 2 + f), rgb[1] = static_cast<std::uint8_t>(y * 3 + f), rgb[2] = 99;
        });
        s.ffmpeg({"-i", s.path("rgb.mkv").string(), "-c:v", "ffv1", "-pix_fmt", "bgra", s.path("clip.mkv").string()});
        Settings("0.25,0.75,0.25,0.75", "50");
    }

    void Settings(const std::string& region, const std::string& zoomOut) {
        ASSERT_EQ(s.host({"settings", "set", "--region", region, "--zoom-in", "10", "--zoom-out", zoomOut}).status, 0);
    }

    // The host program's frames of the clip's stretch from `in`, `frames` long.
    std::vector<Picture> Host(int in, int frames) {
        return mvtest::hostStretch(s, s.path("clip.mkv"), in, frames, kWidth, kHeight);
    }

    // Each clip's frames (from timeline frame `from`) against the host
    // program's render of its stretch.
    void ExpectClipsAreTheHosts(const Frames& rendered, const std::vector<Clip>& clips, int from = 0) {
        for (const Clip& c : clips) {
            const auto host = Host(c.in, c.frames);
            ASSERT_EQ(host.size(), static_cast<std::size_t>(c.frames));
            for (int f = std::max(0, from - c.at); f < c.frames; ++f) {
                const auto frame = rendered.find(c.at + f);
                ASSERT_NE(frame, rendered.end()) << "no frame " << c.at + f;
                EXPECT_TRUE(frame->second == host[f]) << "clip from " << c.in << ", frame " << f;
            }
        }
    }

    // A clip's frames from `in`, `frames` long, where its settings change at
    // its frame `step`: before it, the host program's render with the
    // settings as they were, from it, with `region` and `zoomOut`.
    void ExpectStepAt(const Frames& rendered, int in, int frames, int step, const std::string& region,
                      const std::string& zoomOut) {
        ASSERT_GE(rendered.size(), static_cast<std::size_t>(frames));
        const auto before = Host(in, frames);
        Settings(region, zoomOut);
        const auto after = Host(in, frames);
        for (int f = 0; f < frames; ++f)
            EXPECT_TRUE(rendered.at(f) == (f < step ? before : after).at(f)) << "frame " << f;
    }

    // A timeline of one video track, mixing off (GES's compositor lets a
    // neighbouring frame through), its clips of the clip, or of a timeline of
    // the whole clip saved as a project (nested).
    GESTimeline* Timeline(bool nested = false) {
        GstCaps* caps = gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, kWidth, "height", G_TYPE_INT, kHeight,
                                            "framerate", GST_TYPE_FRACTION, kRate, 1, nullptr);
        auto videoTrack = [caps] {
            GESTrack* track = GES_TRACK(ges_video_track_new());
            ges_track_set_mixing(track, FALSE);
            ges_track_set_restriction_caps(track, caps);
            return track;
        };
        GESTimeline* timeline = ges_timeline_new();
        ges_timeline_add_track(timeline, videoTrack());
        layer = ges_timeline_append_layer(timeline);
        std::string uri = "file://" + s.path("clip.mkv").string();
        GError* error = nullptr;
        if (nested) {
            GESTimeline* inner = ges_timeline_new();
            ges_timeline_add_track(inner, videoTrack());
            ges_layer_add_clip(ges_timeline_append_layer(inner), GES_CLIP(ges_uri_clip_new(uri.c_str())));
            uri = "file://" + s.path("inner.xges").string();
            EXPECT_TRUE(ges_timeline_save_to_uri(inner, uri.c_str(), nullptr, TRUE, &error));
            gst_object_unref(gst_object_ref_sink(inner));
        }
        gst_caps_unref(caps);
        asset = GES_ASSET(ges_uri_clip_asset_request_sync(uri.c_str(), &error));
        EXPECT_TRUE(asset) << (error ? error->message : "");
        g_clear_error(&error);
        return timeline;
    }

    // A clip with the effect as Pitivi adds it, nothing set but smooth off.
    GESClip* AddClip(const Clip& c) {
        GESClip* clip = ges_layer_add_asset(layer, asset, c.at * kFrame, c.in * kFrame, c.frames * kFrame,
                                            GES_TRACK_TYPE_VIDEO);
        GESEffect* effect = ges_effect_new("morvatellezoom");
        EXPECT_TRUE(ges_container_add(GES_CONTAINER(clip), GES_TIMELINE_ELEMENT(effect)));
        ges_timeline_element_set_child_properties(GES_TIMELINE_ELEMENT(effect), "smooth", FALSE, nullptr);
        return clip;
    }

    // A saved project's timeline, mixing off, its video track alone.
    GESTimeline* Load(const std::string& uri) {
        GESProject* project = ges_project_new(uri.c_str());
        GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
        const auto quit = +[](GESProject*, GESTimeline*, gpointer l) { g_main_loop_quit(static_cast<GMainLoop*>(l)); };
        g_signal_connect(project, "loaded", G_CALLBACK(quit), loop);
        GError* error = nullptr;
        auto* timeline = GES_TIMELINE(ges_asset_extract(GES_ASSET(project), &error));
        EXPECT_TRUE(timeline) << (error ? error->message : "");
        g_clear_error(&error);
        if (timeline) g_main_loop_run(loop);
        g_main_loop_unref(loop);
        gst_object_unref(project);
        if (!timeline) return nullptr;
        GList* tracks = ges_timeline_get_tracks(timeline);
        for (GList* t = tracks; t; t = t->next)
            if (auto* track = GES_TRACK(t->data); track->type == GES_TRACK_TYPE_VIDEO)
                ges_track_set_mixing(track, FALSE);
            else
                ges_timeline_remove_track(timeline, track);
        g_list_free_full(tracks, gst_object_unref);
        return timeline;
    }

    // The timeline's frames, from `seekTo` where given: the pipeline settled
    // at its place (its async-done) before it plays, where GES would now and
    // then stall.
    Frames Render(GESTimeline* timeline, GstClockTime seekTo = GST_CLOCK_TIME_NONE) {
        ges_timeline_commit_sync(timeline);
        GESPipeline* pipeline = ges_pipeline_new();
        GstElement* sink = gst_element_factory_make("appsink", nullptr);
        gst_util_set_object_arg(G_OBJECT(sink), "caps", "video/x-raw, format=RGB");
        g_object_set(sink, "sync", FALSE, nullptr);
        EXPECT_TRUE(ges_pipeline_set_timeline(pipeline, timeline));
        ges_pipeline_preview_set_video_sink(pipeline, sink);
        ges_pipeline_set_mode(pipeline, GES_PIPELINE_MODE_PREVIEW_VIDEO);
        auto* element = GST_ELEMENT(pipeline);
        if (GST_CLOCK_TIME_IS_VALID(seekTo)) {
            gst_element_set_state(element, GST_STATE_PAUSED);
            EXPECT_EQ(gst_element_get_state(element, nullptr, nullptr, 20 * GST_SECOND), GST_STATE_CHANGE_SUCCESS);
            GstBus* bus = gst_element_get_bus(element);
            gst_bus_set_flushing(bus, TRUE);  // the preroll's messages gone
            gst_bus_set_flushing(bus, FALSE);
            EXPECT_TRUE(gst_element_seek_simple(element, GST_FORMAT_TIME,
                                                static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                                static_cast<gint64>(seekTo)));
            GstMessage* done = gst_bus_timed_pop_filtered(bus, 20 * GST_SECOND, GST_MESSAGE_ASYNC_DONE);
            EXPECT_TRUE(done) << "the seek did not end";
            if (done) gst_message_unref(done);
            gst_object_unref(bus);
        }
        auto frames = Pull(element, GST_APP_SINK(sink));
        gst_object_unref(pipeline);
        return frames;
    }

    Scratch s;
    GESLayer* layer = nullptr;
    GESAsset* asset = nullptr;
};

// Each case as Pitivi makes it: the clips it leaves on the timeline, each
// running the course over itself as it stands.
TEST_F(GStreamer, EachClipOfATimelineRunsTheCourseOverItself) {
    const struct {
        const char* name;
        std::vector<Clip> clips;
        int splitAt;  // a timeline frame the first clip is split at, or 0
        int seekTo;   // a timeline frame played from, or 0
        std::vector<Clip> expected;
    } cases[] = {
        {"trimmed", {{0, 25, 75}}, 0, 0, {{0, 25, 75}}},
        {"split", {{0, 25, 100}}, 40, 0, {{0, 25, 40}, {40, 65, 60}}},
        {"moved on", {{50, 50, 50}}, 0, 0, {{50, 50, 50}}},
        {"sought into", {{0, 25, 75}}, 0, 12, {{0, 25, 75}}},
        {"two clips, sought into the second", {{0, 0, 30}, {30, 100, 40}}, 0, 45, {{30, 100, 40}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GESTimeline* timeline = Timeline();
        ASSERT_TRUE(asset);
        std::vector<GESClip*> clips;
        for (const Clip& clip : c.clips) clips.push_back(AddClip(clip));
        if (c.splitAt) {
            ASSERT_TRUE(ges_clip_split(clips[0], c.splitAt * kFrame));
        }
        ExpectClipsAreTheHosts(Render(timeline, c.seekTo ? c.seekTo * kFrame : GST_CLOCK_TIME_NONE), c.expected,
                               c.seekTo);
        gst_object_unref(asset);
    }
}

// In a process of its own: GES now and then stalls when a nested timeline
// plays after others in one process, with or without the effect.
TEST_F(GStreamer, ClipsOfANestedTimelineRunTheCourseOverThemselves) {
    GESTimeline* timeline = Timeline(true);
    ASSERT_TRUE(asset);
    ASSERT_TRUE(ges_clip_split(AddClip({10, 25, 100}), 50 * kFrame));
    ExpectClipsAreTheHosts(Render(timeline), {{10, 25, 40}, {50, 65, 60}});
    gst_object_unref(asset);
}

// Keyframes as GES sets an effect's, in the clip's own time (and, as Pitivi
// does, one at the clip's end, where GES would otherwise put one of its own):
// the start region's left edge steps from 0.25 to 0.5 at the trimmed clip's
// frame 30.
TEST_F(GStreamer, KeyframesAreReadInTheClipsOwnTime) {
    GESTimeline* timeline = Timeline();
    ASSERT_TRUE(asset);
    GList* effects = ges_clip_get_top_effects(AddClip({0, 25, 75}));
    GstControlSource* source = gst_interpolation_control_source_new();
    g_object_set(source, "mode", GST_INTERPOLATION_MODE_NONE, nullptr);
    for (const auto& [at, left] : {std::pair{0, 0.25}, {30, 0.5}, {75, 0.5}})
        gst_timed_value_control_source_set(GST_TIMED_VALUE_CONTROL_SOURCE(source), at * kFrame, left);
    EXPECT_TRUE(ges_track_element_set_control_source(GES_TRACK_ELEMENT(effects->data), source, "left", "direct-absolute"));
    gst_object_unref(source);
    g_list_free_full(effects, gst_object_unref);
    ExpectStepAt(Render(timeline), 25, 75, 30, "0.5,0.75,0.25,0.75", "50");
    gst_object_unref(asset);
}

// A project Pitivi 2022.06 saved after this: the clip imported, the effect
// dropped on it with nothing typed, its start trimmed to 1 s, the clip split
// at 4.48 s. Pitivi edits with a proxy of the clip and renders the clip
// itself, as here, at a tenth of its size and with smooth off.
TEST_F(GStreamer, APitiviProjectRunsTheCourseOverEachClipAsItStands) {
    std::ifstream in(fs::path(MV_SOURCE_DIR) / "tests/plugin/gstreamer/data/pitivi2022_trimmed_split.xges");
    std::string project((std::istreambuf_iterator<char>(in)), {});
    const std::string proxy = "file:///tmp/pv/holiday.mkv.15274290.proxy.mov", clip = "file://" + s.path("clip.mkv").string();
    auto cut = [&project](const std::string& from, const std::string& to) {  // from `from` to the `to` after it
        if (const auto at = project.find(from); at != std::string::npos)
            project.erase(at, project.find(to, at + from.size()) + to.size() - at);
    };
    cut(" proxy-id='", "'");
    cut("<asset id='" + proxy + "'", "</asset>");
    const std::pair<std::string, std::string> edits[] = {
        {proxy, clip}, {"file:///tmp/pv/holiday.mkv", clip}, {"(int)1280", "(int)128"}, {"(int)720", "(int)72"},
        {"\\(int\\)1280", "\\(int\\)128"}, {"\\(int\\)720", "\\(int\\)72"},  // in the tracks' caps
        {"smooth=(boolean)true", "smooth=(boolean)false"}};
    for (const auto& [from, to] : edits)
        for (auto at = project.find(from); at != std::string::npos; at = project.find(from, at + to.size()))
            project.replace(at, from.size(), to);
    std::ofstream(s.path("project.xges")) << project;

    GESTimeline* timeline = Load("file://" + s.path("project.xges").string());
    ASSERT_TRUE(timeline);
    ExpectClipsAreTheHosts(Render(timeline), {{25, 25, 87}, {112, 112, 88}});
}

// A pipeline as gst-launch-1.0 runs one, from a file, in RGBA with the
// overlay: the segment has no end, so the clip is the stream, its length the
// duration upstream reports. Properties set from the streaming thread just
// before frame 60 reaches the element: the frames before it are the old
// course's, the rest the new's.
TEST_F(GStreamer, APlainPipelineRunsOverTheStreamAndTakesAChangeAtTheNextFrame) {
    const std::string description = "filesrc location=\"" + s.path("clip.mkv").string() +
                                    "\" ! matroskademux ! avdec_ffv1 ! videoconvert ! video/x-raw,format=RGBA ! "
                                    "morvatellezoom name=zoom smooth=false overlay=0.3 ! videoconvert ! "
                                    "appsink name=sink caps=video/x-raw,format=RGB";
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    ASSERT_TRUE(pipeline) << error->message;
    GstElement* zoom = gst_bin_get_by_name(GST_BIN(pipeline), "zoom");
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    g_object_set(sink, "sync", FALSE, nullptr);
    GstPad* pad = gst_element_get_static_pad(zoom, "sink");
    static int seen;
    seen = 0;
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, [](GstPad* p, GstPadProbeInfo*, gpointer) {
        if (seen++ == 60) g_object_set(GST_PAD_PARENT(p), "left", 0.5, "right", 1.0, "zoom-out", 0.25, nullptr);
        return GST_PAD_PROBE_OK;
    }, nullptr, nullptr);
    gst_object_unref(pad);
    const auto rendered = Pull(pipeline, GST_APP_SINK(sink));
    for (GstElement* e : {sink, zoom, pipeline}) gst_object_unref(e);

    ASSERT_EQ(s.host({"settings", "set", "--overlay", "30"}).status, 0);
    ExpectStepAt(rendered, 0, kFrames, 60, "0.5,1,0.25,0.75", "25");
}

// The clip's end from the segment's stop, else the duration, else the
// element's frames; time stamps a nanosecond off a frame still count as it.
TEST(ClipSpan, FromTheSegmentTheDurationOrTheFramesGiven) {
    const GstClockTime none = GST_CLOCK_TIME_NONE, s = GST_SECOND;
    const struct {
        GstClockTime start, stop, time, timestamp, duration;
        int rateN, rateD;
        std::int64_t frames, nextFrame;
        mvgst::Span expected;
    } cases[] = {
        {1 * s, 4 * s, 0, 1 * s, none, 25, 1, 0, 0, {0, 75}},                         // a clip trimmed to 1 s
        {1500 * s / 1000, 3 * s, s / 2, 2 * s, none, 25, 1, 0, 0, {25, 50}},          // sought into it
        {0, none, 0, 2 * s, 8 * s, 25, 1, 99, 0, {50, 200}},                          // a file: its duration
        {0, none, 0, 2 * s, none, 25, 1, 99, 0, {50, 99}},                            // no duration: the frames given
        {0, none, 0, 2 * s, none, 25, 1, 0, 0, {50, 0}},                              // nothing: no course
        {0, 2 * s, 0, 1990 * s / 1000, none, 25, 1, 0, 0, {49, 50}},                  // rounded past the end: the last
        {0, 2002 * s / 1000 + 1, 0, 1001 * s / 30000, none, 30000, 1001, 0, 0, {1, 60}},  // NTSC, the end a ns late
        {0, 2003 * s / 1000, 0, 1001 * s / 30000, none, 30000, 1001, 0, 0, {1, 61}},  // a ms late: one more frame
        {0, 1'000'000'000 * s, 0, 0, none, G_MAXINT, 1, 0, 0, {0, mvgst::kLongestClip}},  // beyond any clip
        {0, none, 0, none, none, 25, 1, 99, 7, {7, 99}},                              // no time stamp: the next frame
        {0, none, 0, 2 * s, none, 0, 1, 99, 7, {7, 99}},                              // a variable rate: likewise
    };
    for (const auto& c : cases) {
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        segment.start = c.start, segment.stop = c.stop, segment.time = c.time, segment.position = c.start;
        const mvgst::Span span = mvgst::SpanOf({&segment, c.timestamp, c.duration, c.rateN, c.rateD, c.frames, c.nextFrame});
        EXPECT_EQ(span.position, c.expected.position) << c.timestamp;
        EXPECT_EQ(span.length, c.expected.length) << c.timestamp;
    }
}

}  // namespace
