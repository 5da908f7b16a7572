// The MLT service through melt: projects the editors saved, and projects in
// their shapes, each clip's course frame for frame the host program's render
// of its stretch; several workers; the rectangle's units and a smaller
// render; the metadata and the editors' descriptions against what the
// filter reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "HostRunner.h"

#ifndef MV_MELT_ENV
#define MV_MELT_ENV ""
#endif

namespace {

namespace fs = std::filesystem;
using mvtest::Picture;
using mvtest::Scratch;

const int kWidth = 128, kHeight = 72, kFrames = 200;

std::string Read(const fs::path& file) {
    std::ifstream in(file);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

struct Clip {
    int at, in, frames;  // where it plays, its first source frame, its length
};

// MLT reads modules and data from one folder each: the system's, with the
// module and metadata we built in place of any installed. melt gets no LADSPA
// plugins and only our frei0r one: some an editor's packages bring
// deadlock as they load under the sanitizers' runtimes.
class Melt : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* dir : {"modules", "data"}) fs::create_directory(s.path(dir));
        for (const auto& [from, to] : {std::pair{MV_MLT_MODULE_DIR, "modules"}, std::pair{MV_MLT_DATA_DIR, "data"}})
            for (const auto& entry : fs::directory_iterator(from))  // an installed package's ours are not
                if (entry.path().filename().string().find("morvatelle") == std::string::npos)
                    fs::create_symlink(entry.path(), s.path(to) / entry.path().filename());
        fs::create_symlink(mvtest::buildDir() / "mlt-7/libmltmorvatelle.so", s.path("modules/libmltmorvatelle.so"));
        fs::create_symlink(mvtest::buildDir() / "mlt-7-data/morvatelle", s.path("data/morvatelle"));
        mvtest::writeClip(s, s.path("clip.mkv"), kWidth, kHeight, kFrames, 25, [](int x, int y, int f, std::uint8_t rgb[3]) {
            rgb[0] = static_cast<std::uint8_t>(x * 2 + f), rgb[1] = static_cast<std::uint8_t>(y * 3 + f), rgb[2] = 99;
        });
    }

    // melt's frames of `args` (a project or producers and filters), at the
    // profile's size times the consumer's scale.
    std::vector<Picture> Render(std::vector<std::string> args, const std::string& consumer = "", int scale = 1) {
        std::vector<std::string> melt{"timeout", "120", "melt", "-quiet"};
        melt.insert(melt.end(), args.begin(), args.end());
        melt.insert(melt.end(), {"-consumer", "avformat:" + s.path("out.mkv").string(), "vcodec=ffv1", "pix_fmt=bgr0",
                                 "an=1"});
        if (!consumer.empty()) melt.push_back(consumer);
        if (scale != 1) melt.push_back("scale=" + std::to_string(1.0 / scale));
        const std::string env = std::string(MV_MELT_ENV) + " LADSPA_PATH=/nonexistent FREI0R_PATH='" +
                                (mvtest::buildDir() / "frei0r-1").string() + "' MLT_REPOSITORY='" +
                                s.path("modules").string() + "' MLT_DATA='" + s.path("data").string() + "'";
        const mvtest::RunResult r = s.run(melt, env);
        EXPECT_EQ(r.status, 0) << r.err;
        return mvtest::readFrames(s, s.path("out.mkv").string(), kWidth / scale, kHeight / scale);
    }

    // The host program's frames of the clip's stretch from `in`, `frames` long.
    std::vector<Picture> Host(int in, int frames) {
        return mvtest::hostStretch(s, s.path("clip.mkv"), in, frames, kWidth, kHeight);
    }

    // Each clip's frames in `rendered` against the host program's render of its stretch.
    void ExpectClipsAreTheHosts(const std::vector<Picture>& rendered, const std::vector<Clip>& clips) {
        for (const Clip& c : clips) {
            const auto host = Host(c.in, c.frames);
            ASSERT_EQ(host.size(), static_cast<std::size_t>(c.frames));
            ASSERT_GE(rendered.size(), static_cast<std::size_t>(c.at + c.frames));
            for (int f = 0; f < c.frames; ++f)
                EXPECT_TRUE(rendered[c.at + f] == host[f]) << "clip from " << c.in << ", frame " << f;
        }
    }

    void Settings(const std::string& region, int zoomIn, int zoomOut) {
        ASSERT_EQ(s.host({"settings", "set", "--region", region, "--zoom-in", std::to_string(zoomIn), "--zoom-out",
                          std::to_string(zoomOut)})
                      .status,
                  0);
    }

    Scratch s;
};

// Projects the editors in Debian saved, each after this: the effect dropped
// on a clip with nothing typed (a centred region, smooth on), the clip's
// start trimmed, the clip split, a half moved on; saved with no half
// selected (Kdenlive's own bookkeeping, its kdenlive:* properties, taken
// out). Rendered at a tenth of their size with smooth off, each clip is the
// host program's render of its stretch.
TEST_F(Melt, EditorProjectsRunTheCourseOverEachClipAsItStands) {
    const struct {
        const char* file;
        std::vector<Clip> clips;
        const char* out;  // Kdenlive's projects run on with a black track
    } projects[] = {
        {"kdenlive22_trimmed_split_moved.kdenlive", {{50, 50, 75}, {244, 125, 75}}, "out=318"},  // Kdenlive 22.12
        {"kdenlive24_trimmed_split_moved.kdenlive", {{50, 50, 75}, {245, 125, 75}}, "out=319"},  // Kdenlive 24.12
        {"shotcut22_trimmed_split.mlt", {{27, 27, 50}, {77, 77, 123}}, nullptr},                 // Shotcut 22.12
    };
    Settings("0.25,0.75,0.25,0.75", 10, 50);
    for (const auto& p : projects) {
        SCOPED_TRACE(p.file);
        std::string project = Read(fs::path(MV_SOURCE_DIR) / "tests/plugin/mlt/data" / p.file);
        const std::pair<std::string, std::string> edits[] = {
            {"clip.mp4", "clip.mkv"}, {"width=\"1280\"", "width=\"128\""}, {"height=\"720\"", "height=\"72\""},
            {"=320 180 640 360", "=32 18 64 36"}, {"\"smooth\">1", "\"smooth\">0"}, {"/tmp/ed", s.dir().string()}};
        for (const auto& [from, to] : edits)
            for (auto at = project.find(from); at != std::string::npos; at = project.find(from, at + to.size()))
                project.replace(at, from.size(), to);
        std::ofstream(s.path("project.mlt")) << project;
        std::vector<std::string> args{s.path("project.mlt").string()};
        if (p.out) args.push_back(p.out);
        const auto rendered = Render(args);
        ExpectClipsAreTheHosts(rendered, p.clips);
    }
}

// Projects in the editors' shapes, written here: the filter inside a
// playlist entry (a cut), also with a stale range of its own from an older
// edit; and melt's, planted after a trimmed producer or with a range of its
// own; each rendered by one worker and by two.
TEST_F(Melt, ShapesOfProjectAndWorkersKeepTheClipsCourse) {
    const std::vector<std::string> settings{"left=0.2",  "right=0.9",   "top=0.1",
                                            "bottom=0.6", "zoom-in=0.4", "zoom-out=0.3"};
    std::string filter = "<property name=\"mlt_service\">morvatelle</property>";
    for (const std::string& setting : settings) {
        const auto is = setting.find('=');
        filter += "<property name=\"" + setting.substr(0, is) + "\">" + setting.substr(is + 1) + "</property>";
    }
    const struct {
        const char* shape;
        std::string playlist;           // a project's, on the clip; or none:
        std::vector<std::string> melt;  // melt's arguments after the clip, the settings following
        std::vector<Clip> clips;
    } shapes[] = {
        {"entries",
         "<blank length=\"10\"/><entry producer=\"clip\" in=\"30\" out=\"89\"><filter>" + filter +
             "</filter></entry><entry producer=\"clip\" in=\"120\" out=\"159\"><filter>" + filter + "</filter></entry>",
         {},
         {{10, 30, 60}, {70, 120, 40}}},
        {"an entry's filter with a stale range",
         "<entry producer=\"clip\" in=\"40\" out=\"99\"><filter in=\"0\" out=\"199\">" + filter + "</filter></entry>",
         {},
         {{0, 40, 60}}},
        {"melt's -filter after a producer with an in and out", "", {"in=25", "out=99", "-filter", "morvatelle"},
         {{0, 25, 75}}},
        {"melt's -filter with an in and out of its own", "", {"-filter", "morvatelle", "in=10", "out=59"}, {{10, 10, 50}}},
    };
    Settings("0.2,0.9,0.1,0.6", 40, 30);
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.shape);
        std::vector<std::string> args{s.path("clip.mkv").string()};
        args.insert(args.end(), shape.melt.begin(), shape.melt.end());
        args.insert(args.end(), settings.begin(), settings.end());
        if (!shape.playlist.empty()) {
            std::ofstream(s.path("shape.mlt"))
                << "<mlt><profile width=\"128\" height=\"72\" frame_rate_num=\"25\" frame_rate_den=\"1\" "
                   "progressive=\"1\" sample_aspect_num=\"1\" sample_aspect_den=\"1\" display_aspect_num=\"16\" "
                   "display_aspect_den=\"9\" colorspace=\"709\"/><producer id=\"clip\"><property "
                   "name=\"resource\">clip.mkv</property></producer><playlist id=\"v1\">"
                << shape.playlist << "</playlist></mlt>";
            args = {s.path("shape.mlt").string()};
        }
        const auto one = Render(args, "real_time=-1");
        ExpectClipsAreTheHosts(one, shape.clips);
        EXPECT_TRUE(Render(args, "real_time=-2") == one) << "two workers";
        if (!shape.playlist.empty()) continue;
        // The sampler and the overlay, which render beside other workers' frames.
        args.insert(args.end(), {"smooth=1", "overlay=0.3"});
        EXPECT_TRUE(Render(args, "real_time=-2") == Render(args, "real_time=-1")) << "smooth, overlay, two workers";
    }
}

// The start region as a rectangle in the profile's pixels or in percent
// (the first of MLT's keyframes), or as the four edges, renders alike, at
// the profile's size and at half of it, as the editors' previews scale
// (the consumer's scale), where the rectangle keeps its place in the picture.
TEST_F(Melt, RectangleUnitsAndRenderSizes) {
    const std::vector<std::string> regions[] = {
        {"left=0.25", "right=0.75", "top=0.5", "bottom=1"},
        {"rect=32 36 64 36"},
        {"rect=25% 50% 50% 50%"},
        {"rect=0=32 36 64 36;100=0 0 128 72"},
        // What is no rectangle leaves the edges in charge.
        {"left=0.25", "right=0.75", "top=0.5", "bottom=1", "rect=10 20"},
        {"left=0.25", "right=0.75", "top=0.5", "bottom=1", "rect=none"},
    };
    for (const int scale : {1, 2}) {
        std::vector<Picture> first;
        for (const auto& region : regions) {
            SCOPED_TRACE(region[0] + " at 1/" + std::to_string(scale));
            std::vector<std::string> args{s.path("clip.mkv").string(), "out=49", "-filter", "morvatelle",
                                          "zoom-in=0.4", "zoom-out=0.4"};
            args.insert(args.end(), region.begin(), region.end());
            const auto frames = Render(args, "rescale=nearest", scale);
            ASSERT_EQ(frames.size(), 50u);
            if (first.empty())
                first = frames;
            else
                EXPECT_TRUE(frames == first);
        }
    }
}

// Every parameter the module's metadata and the editors' descriptions name
// is one the filter reads: rendering with the metadata's defaults set is
// rendering with nothing set, and another value for each changes the frames.
TEST_F(Melt, MetadataAndDescriptionsAreWhatTheFilterReads) {
    const std::string yaml = Read(mvtest::buildDir() / "mlt-7-data/morvatelle/filter_morvatelle.yml");
    std::map<std::string, std::string> defaults;
    std::set<std::string> names;
    for (auto at = yaml.find("- identifier: "); at != std::string::npos; at = yaml.find("- identifier: ", at + 1)) {
        const auto end = yaml.find('\n', at);
        const std::string name = yaml.substr(at + 14, end - at - 14);
        names.insert(name);
        const auto next = yaml.find("- identifier: ", end);
        const auto d = yaml.find("default: ", end);
        if (d < next) defaults[name] = yaml.substr(d + 9, yaml.find('\n', d) - d - 9);
    }
    const std::map<std::string, std::string> other{{"left", "0.3"},    {"right", "0.6"},    {"top", "0.2"},
                                                   {"bottom", "0.7"},  {"zoom-in", "0.5"},  {"zoom-out", "0.2"},
                                                   {"overlay", "0.5"}, {"smooth", "1"},     {"easing", "1"},
                                                   {"rect", "10% 10% 30% 30%"}};
    const std::vector<std::string> base{s.path("clip.mkv").string(), "out=39", "-filter", "morvatelle"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        return Render(args);
    };
    const auto plain = with({"left=0.1"});
    std::vector<std::string> all{"left=0.1"};
    for (const auto& [name, value] : defaults)
        if (name != "left") all.push_back(name + "=" + value);
    EXPECT_TRUE(with(all) == plain) << "the metadata's defaults";
    for (const std::string& name : names) EXPECT_TRUE(other.count(name)) << name << " is tried below";
    for (const auto& [name, value] : other) EXPECT_FALSE(with({"left=0.1", name + "=" + value}) == plain) << name;

    // The editors' descriptions name only these.
    const fs::path editors = fs::path(MV_SOURCE_DIR) / "plugin/mlt/editors";
    auto quoted = [](const std::string& text, const std::string& opener) {
        std::vector<std::string> found;
        for (auto at = text.find(opener); at != std::string::npos; at = text.find(opener, at + 1)) {
            const auto from = at + opener.size();
            found.push_back(text.substr(from, text.find_first_of("\"'", from) - from));
        }
        return found;
    };
    const std::string kdenlive = Read(editors / "kdenlive/morvatelle.xml");
    EXPECT_NE(kdenlive.find("tag=\"morvatelle\""), std::string::npos);
    const auto described = quoted(kdenlive, " name=\"");
    EXPECT_EQ(described.size(), 6u) << "the region, the three shares, smooth and easing";
    for (const std::string& name : described) EXPECT_TRUE(names.count(name)) << "Kdenlive's " << name;
    for (const char* file : {"shotcut/morvatelle_zoom/ui.qml", "shotcut/morvatelle_zoom/vui.qml"}) {
        const std::string text = Read(editors / file);
        for (const char* opener : {"filter.set('", "filter.getDouble('", "['"})
            for (const std::string& name : quoted(text, opener)) EXPECT_TRUE(names.count(name)) << file << ": " << name;
        // Qt 5 loads only versioned imports.
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            EXPECT_TRUE(!line.starts_with("import ") || line.find_first_of("0123456789") != std::string::npos)
                << file << ": " << line;
    }
}

}  // namespace
