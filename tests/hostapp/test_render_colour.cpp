// Colours through the host end to end: flat patches of saturated colour, so
// chroma sampling plays no part, rendered on a whole-frame course (every
// output frame is its source frame), read back through each file's own
// description and labelled as the source is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "HostRunner.h"

using namespace mvtest;

namespace {

struct Source {
    const char* size;
    const char* format;  // pixel format
    const char* codec;
    const char* matrix;  // "" for an untagged source (made with `made`)
    const char* primaries;
    const char* transfer;
    const char* range;
    const char* made = "";  // the matrix it was made with, when untagged
};

struct Row {
    Source source;
    const char* output;
    const char* label;  // pix_fmt,range,matrix,transfer,primaries as ffprobe prints them
};

const Source kHd709{"320x180", "yuv420p", "libx264", "bt709", "bt709", "bt709", "tv"};
const Source kHlg{"320x180", "yuv420p10le", "libx265", "bt2020nc", "bt2020", "arib-std-b67", "tv"};

const Row kRows[] = {
    {kHd709, "out.mp4", "yuv420p,tv,bt709,bt709,bt709"},
    {kHd709, "out.mkv", "bgr0,pc,gbr,bt709,bt709"},
    {kHd709, "out.webm", "yuv420p,tv,bt709,bt709,bt709"},
    {{"320x240", "yuv420p", "libx264", "smpte170m", "smpte170m", "smpte170m", "tv"}, "out.mp4",
     "yuv420p,tv,smpte170m,smpte170m,smpte170m"},
    {{"320x180", "yuv420p", "libx264", "bt709", "bt709", "bt709", "pc"}, "out.mp4", "yuvj420p,pc,bt709,bt709,bt709"},
    {{"320x180", "yuv422p", "libx264", "bt2020nc", "bt2020", "bt709", "tv"}, "out.mov", "yuv420p,tv,bt2020nc,bt709,bt2020"},
    {kHlg, "out.mp4", "yuv420p,tv,bt2020nc,arib-std-b67,bt2020"},
    {{"320x180", "yuv420p10le", "libx265", "bt2020nc", "bt2020", "smpte2084", "tv"}, "out.mkv",
     "bgr0,pc,gbr,smpte2084,bt2020"},
    {{"1280x720", "yuv420p", "libx264", "", "", "", "", "bt709"}, "out.mp4", "yuv420p,tv,bt709,bt709,bt709"},
    {{"320x240", "yuv420p", "libx264", "", "", "", "", "smpte170m"}, "out.mp4", "yuv420p,tv,smpte170m,smpte170m,smpte170m"},
    // The R, G, B outputs hold what the plug-in saw.
    {{"320x180", "yuv420p", "libx264", "bt709", "bt709", "bt709", "pc"}, "out.mkv", "bgr0,pc,gbr,bt709,bt709"},
    {{"720x576", "yuv420p", "libx264", "", "", "", "", "bt470bg"}, "out.mkv", "bgr0,pc,gbr,smpte170m,bt470bg"},
    {{"320x180", "gray", "libx264", "bt709", "bt709", "bt709", "tv"}, "out.mkv", "bgr0,pc,gbr,bt709,bt709"},
    // A pipe says no matrix: written in the one its readers assume for the size.
    {{"1280x720", "yuv420p", "libx264", "smpte170m", "smpte170m", "smpte170m", "tv"}, "pipe.y4m",
     "yuv420p,tv,unknown,unknown,unknown"},
};

// Red, green, blue and yellow quarters, as R, G, B.
const std::uint8_t kPatches[4][3] = {{190, 28, 28}, {28, 190, 28}, {28, 28, 190}, {190, 190, 28}};

void makeSource(const Scratch& s, const Source& src, const std::string& file) {
    std::string size = src.size, w = size.substr(0, size.find('x')), h = size.substr(size.find('x') + 1);
    std::string quarter = std::to_string(std::stoi(w) / 2) + "x" + std::to_string(std::stoi(h) / 2);
    std::string graph;
    for (int i = 0; i < 4; ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X%02X%02X", kPatches[i][0], kPatches[i][1], kPatches[i][2]);
        graph += "color=c=0x" + std::string(hex) + ":s=" + quarter + ":d=0.2,format=rgb24[p" + std::to_string(i) + "];";
    }
    const std::string matrix = *src.matrix ? src.matrix : src.made, range = *src.range ? src.range : "tv";
    graph += "[p0][p1]hstack[t];[p2][p3]hstack[b];[t][b]vstack,scale=out_color_matrix=" + matrix +
             ":out_range=" + range + ":flags=accurate_rnd+full_chroma_int,format=" + src.format;
    std::vector<std::string> args{"-f", "lavfi", "-i", graph, "-c:v", src.codec};
    if (std::string(src.codec) == "libx264") args.insert(args.end(), {"-qp", "0"});
    else args.insert(args.end(), {"-x265-params", "lossless=1:log-level=error"});
    if (*src.matrix)
        args.insert(args.end(), {"-colorspace", src.matrix, "-color_primaries", src.primaries, "-color_trc",
                                 src.transfer, "-color_range", src.range});
    args.push_back(file);
    s.ffmpeg(args);
}

// The patches' centres, read through the file's own description (or, where
// it has none, through `assumed`: ffmpeg itself reads every untagged picture as BT.601).
std::vector<int> patchColours(const Scratch& s, const std::string& file, const char* size, std::string assumed = "") {
    const std::string sz = size;
    const int w = std::stoi(sz.substr(0, sz.find('x'))), h = std::stoi(sz.substr(sz.find('x') + 1));
    const auto raw = s.path(".patch.rgb");
    if (!assumed.empty()) assumed = "in_color_matrix=" + assumed + ":";
    s.ffmpeg({"-i", file, "-frames:v", "1", "-vf",
              "scale=" + assumed + "flags=accurate_rnd+full_chroma_int:out_range=pc,format=rgb24",
              "-f", "rawvideo", raw.string()});
    std::ifstream in(raw, std::ios::binary);
    std::vector<std::uint8_t> rgb((std::istreambuf_iterator<char>(in)), {});
    std::vector<int> out;
    for (auto [x, y] : {std::pair{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}})
        for (int c = 0; c < 3; ++c) out.push_back(rgb.at((static_cast<std::size_t>(y) * w + x) * 3 + c));
    return out;
}

std::string label(const Scratch& s, const std::string& file) {
    RunResult r = s.run({"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries",
                         "stream=pix_fmt,color_range,color_space,color_transfer,color_primaries", "-of", "csv=p=0", file});
    return r.out.substr(0, r.out.find_last_not_of("\n ") + 1);
}

TEST(RenderColour, FlatPatchesComeBackWithinOneLevelUnderTheSourcesDescription) {
    Scratch s;
    ASSERT_EQ(s.host({"settings", "set", "--region", "0,1,0,1", "--zoom-in", "0", "--zoom-out", "0"}).status, 0);
    for (const Row& row : kRows) {
        const Source& src = row.source;
        SCOPED_TRACE(std::string(src.size) + " " + src.format + " " + (*src.matrix ? src.matrix : "untagged") + " " +
                     src.transfer + " " + src.range + " -> " + row.output);
        const std::string in = s.path("in.mp4").string(), out = s.path(row.output).string();
        makeSource(s, src, in);
        const bool pipe = out.ends_with(".y4m");
        RunResult r = s.host(pipe ? std::vector<std::string>{"render", in, "-o", "-", "--format", "y4m"}
                                  : std::vector<std::string>{"render", in, "-o", out});
        ASSERT_EQ(r.status, 0) << r.err;
        if (pipe) std::ofstream(out, std::ios::binary) << r.out;
        EXPECT_EQ(label(s, out), row.label);
        const std::vector<int> want = patchColours(s, in, src.size, src.made),
                               got = patchColours(s, out, src.size, pipe ? "bt709" : "");
        for (std::size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1) << "patch " << i / 3;
    }
}

TEST(RenderColour, HdrIsRefusedWhereTheOutputCannotSaySo) {
    Scratch s;
    makeSource(s, kHlg, s.path("in.mp4").string());
    for (std::vector<std::string> out : {std::vector<std::string>{"-o", s.path("f%03d.png").string()},
                                         {"-o", "-", "--format", "y4m"}, {"-o", "-", "--format", "nut"}}) {
        std::vector<std::string> args{"render", s.path("in.mp4").string()};
        args.insert(args.end(), out.begin(), out.end());
        RunResult r = s.host(args);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find("cannot carry this clip's HDR colour description"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

}  // namespace
