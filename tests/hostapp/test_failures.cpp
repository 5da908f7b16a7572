// Bad input ends with one clear line and a non-zero status, and loses
// nothing: no output, no temporary file left beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "HostRunner.h"

namespace fs = std::filesystem;
using namespace mvtest;

namespace {

void pattern(int x, int y, int f, std::uint8_t rgb[3]) {
    rgb[0] = static_cast<std::uint8_t>(x * 3 + f);
    rgb[1] = static_cast<std::uint8_t>(y * 5);
    rgb[2] = static_cast<std::uint8_t>(x ^ y);
}

class Failures : public ::testing::Test {
protected:
    void SetUp() override { writeClip(s, s.path("in.mkv"), 32, 24, 12, 12, pattern); }

    // Fails with exactly one line that contains `needle`, and leaves the folder as it was.
    void expectFailure(const RunResult& r, const std::string& needle) {
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(needle), std::string::npos) << r.err;
        for (const auto& entry : fs::directory_iterator(s.dir())) {
            std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "in.mkv" || name == "config" || (name[0] == '.' && name.find(".part") == std::string::npos) ||
                        keep.count(name))
                << "left behind: " << name;
        }
    }

    std::string p(const std::string& name) const { return s.path(name).string(); }
    bool hasPart() const {
        for (const auto& entry : fs::directory_iterator(s.dir()))
            if (entry.path().filename().string().find(".part") != std::string::npos) return true;
        return false;
    }

    Scratch s;
    std::set<std::string> keep;
};

TEST_F(Failures, MissingInput) {
    expectFailure(s.host({"render", p("nope.mkv"), "-o", p("out.mkv")}), "No such file");
}

TEST_F(Failures, NotAVideo) {
    std::ofstream(s.path("notes.txt")) << "just some words, not a picture\n";
    keep.insert("notes.txt");
    expectFailure(s.host({"render", p("notes.txt"), "-o", p("out.mkv")}), "not a video");
}

TEST_F(Failures, SoundOnlyFileIsNotAVideo) {
    s.ffmpeg({"-f", "lavfi", "-i", "sine=duration=0.2", p("tone.wav")});
    keep.insert("tone.wav");
    expectFailure(s.host({"render", p("tone.wav"), "-o", p("out.mkv")}), "not a video");
}

TEST_F(Failures, TruncatedStreamNamesThePluginResult) {
    // The index at the front promises frames the truncated data no longer holds.
    s.ffmpeg({"-i", p("in.mkv"), "-c:v", "libx264", "-g", "2", "-movflags", "+faststart", p("fast.mp4")});
    fs::resize_file(s.path("fast.mp4"), fs::file_size(s.path("fast.mp4")) * 2 / 3);
    keep.insert("fast.mp4");
    RunResult r = s.host({"render", p("fast.mp4"), "-o", p("out.mkv")});
    expectFailure(r, "kPluginCantGetNeededFrame (7)");
}

TEST_F(Failures, ZeroFrames) {
    s.ffmpeg({"-i", p("in.mkv"), "-frames:v", "0", "-c:v", "ffv1", p("empty.mkv")});
    keep.insert("empty.mkv");
    RunResult r = s.host({"render", p("empty.mkv"), "-o", p("out.mkv")});
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(s.path("out.mkv")));
}

TEST_F(Failures, FrameBeyondSixteenBitCoordinates) {
    expectFailure(s.host({"render", p("in.mkv"), "-o", p("out.mkv"), "--size", "32768x24"}), "32767");
}

TEST_F(Failures, OddSizeForH264) {
    expectFailure(s.host({"render", p("in.mkv"), "-o", p("out.mp4"), "--size", "33x24"}), "even");
}

TEST_F(Failures, UnwritableOutputFolder) {
    expectFailure(s.host({"render", p("in.mkv"), "-o", p("missing/out.mkv")}), "does not exist");
}

TEST_F(Failures, OutputIsTheInputAlsoThroughALink) {
    expectFailure(s.host({"render", p("in.mkv"), "-o", p("in.mkv")}), "is the input");
    fs::create_symlink(s.path("in.mkv"), s.path("link.mkv"));
    keep.insert("link.mkv");
    expectFailure(s.host({"render", p("link.mkv"), "-o", p("in.mkv")}), "is the input");
    EXPECT_GT(fs::file_size(s.path("in.mkv")), 0u);
}

TEST_F(Failures, FullDiskLeavesNoOutput) {
    // A file-size limit stands for a full disk: writes fail part-way.
    RunResult r = s.run({hostProgram().string(), "render", "-o", p("out.mkv")}, "trap '' XFSZ; ulimit -f 64;");
    expectFailure(r, "cannot write");
}

// A real file system with little room: the render fails when the disk is
// full, in one line, and the part written so far is gone.
TEST_F(Failures, NearlyFullFileSystemLeavesNoOutput) {
    const fs::path small = s.path("small");
    fs::create_directory(small);
    keep.insert("small");
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=192k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here (" << std::strerror(errno) << ")";
    struct Unmount {
        const fs::path& at;
        ~Unmount() { umount(at.c_str()); }
    } unmount{small};
    for (const std::string out : {"out.mkv", "out.mp4", "f%03d.png"}) {
        SCOPED_TRACE(out);
        expectFailure(s.host({"render", "-o", (small / out).string()}), "No space left on device");
        EXPECT_TRUE(fs::is_empty(small)) << fs::directory_iterator(small)->path();
    }
}

// A plug-in's fatal stop ends the host at once, and the partial output goes
// with it, a sequence's folder too.
TEST_F(Failures, FatalStopInThePluginLeavesNoOutput) {
    for (const std::string out : {"out.mkv", "f%03d.png"}) {
        RunResult r = s.host({"--bundle", MV_FATAL_BUNDLE, "render", p("in.mkv"), "-o", p(out)});
        EXPECT_EQ(r.status, 1) << out;
        expectFailure(r, "Assertion Failure");
    }
}

TEST_F(Failures, BundleWithoutMain) {
    fs::path lib = buildDir() / "lib" / "libmvplatform.so";
    expectFailure(s.host({"--bundle", lib.string(), "render", p("in.mkv"), "-o", p("out.mkv")}), "\"main\"");
}

TEST_F(Failures, UnknownOutputKind) {
    expectFailure(s.host({"render", p("in.mkv"), "-o", p("out.avi")}), "unknown kind");
}

TEST_F(Failures, StreamFormatGoesWithStandardOutput) {
    expectFailure(s.host({"render", p("in.mkv"), "-o", "-"}), "--format y4m");
    expectFailure(s.host({"render", p("in.mkv"), "-o", p("out.mkv"), "--format", "nut"}), "only for -o -");
}

// A reader that stops reading ends the render with one line, not a signal.
TEST_F(Failures, ClosedPipeEndsTheRender) {
    const RunResult r = s.run({"bash", "-c", "set -o pipefail; \"$0\" render -o - --format y4m | head -c 100 >/dev/null",
                               hostProgram().string()});
    EXPECT_NE(r.status, 0);
    EXPECT_LT(r.status, 128) << "ended by a signal";
    EXPECT_NE(r.err.find("the pipe was closed"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST_F(Failures, SubClipPastTheEnd) {
    expectFailure(s.host({"render", p("in.mkv"), "-o", p("out.mkv"), "--start", "8", "--frames", "5"}), "only 12");
}

TEST_F(Failures, ThumbnailPastTheEnd) {
    expectFailure(s.host({"thumbnail", p("in.mkv"), "-o", p("t.png"), "--frame", "12"}), "frames 0 to 11");
}

TEST_F(Failures, BadOptionIsOneLine) {
    expectFailure(s.host({"render", p("in.mkv"), "-o", p("out.mkv"), "--fade-in", "lots"}), "--fade-in");
}

// A signal ends a render within a second, in one line, leaving nothing: mid
// render, and while the program is stuck opening an input that never comes.
// The thread sanitizer slows every thread's unwinding several times over.
#if defined(__SANITIZE_THREAD__)
constexpr std::chrono::seconds kWithin{5};
#else
constexpr std::chrono::seconds kWithin{1};
#endif
// Until the program is stuck opening the input: under either sanitizer its
// start (loading Qt among the rest) takes several times as long.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr useconds_t kStarted = 2000000;
#else
constexpr useconds_t kStarted = 300000;
#endif

TEST_F(Failures, SignalsEndTheRenderAtOnce) {
    ASSERT_EQ(mkfifo(p("never.mkv").c_str(), 0600), 0);
    keep.insert("never.mkv");
    struct Case {
        int signal;
        std::string input;
        bool waitForOutput;
    };
    for (const Case& c : {Case{SIGTERM, "", true}, Case{SIGINT, "", true}, Case{SIGTERM, p("never.mkv"), false}}) {
        SCOPED_TRACE(strsignal(c.signal) + (" " + c.input));
        std::vector<std::string> argv{hostProgram().string(), "render", "-o", p("out.mkv")};
        if (!c.input.empty()) argv.insert(argv.begin() + 2, c.input);
        std::chrono::steady_clock::duration took{};
        RunResult r = s.run(argv, "", [&](pid_t pid) {
            for (int i = 0; i < 400 && c.waitForOutput && !hasPart(); ++i) usleep(25000);
            usleep(c.waitForOutput ? 50000 : kStarted);
            kill(pid, c.signal);
            const auto sent = std::chrono::steady_clock::now();
            siginfo_t info{};
            while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0) {
                if (std::chrono::steady_clock::now() - sent > std::chrono::seconds(10)) kill(pid, SIGKILL);
                usleep(5000);
            }
            took = std::chrono::steady_clock::now() - sent;
        });
        EXPECT_LT(took, kWithin);
        EXPECT_EQ(r.status, 128 + c.signal);
        expectFailure(r, "interrupted");
        EXPECT_FALSE(fs::exists(s.path("out.mkv")));
    }
}

}  // namespace
