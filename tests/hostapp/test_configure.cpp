// morvatelle configure end to end: the dialog on a real display (Xvfb),
// driven with real mouse and key events, its accepted edit saved, and the
// next render following it exactly; and without a display, one line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "HostRunner.h"

namespace {

using mvtest::Scratch;

void SmallClip(const Scratch& s) {
    mvtest::writeClip(s, s.path("clip.mkv"), 96, 64, 12, 25, [](int x, int y, int f, std::uint8_t rgb[3]) {
        rgb[0] = static_cast<std::uint8_t>(x * 2 + f);
        rgb[1] = static_cast<std::uint8_t>(y * 3);
        rgb[2] = static_cast<std::uint8_t>((x ^ y) * 4);
    });
}

TEST(Configure, DialogEditIsSavedAndRendered) {
    if (std::system("command -v xvfb-run >/dev/null && command -v xdotool >/dev/null") != 0)
        GTEST_SKIP() << "needs xvfb-run and xdotool (./dev deps installs them)";
    Scratch s;
    SmallClip(s);
    ASSERT_EQ(s.host({"settings", "set", "--region", "0.25,0.75,0.25,0.75"}).status, 0);
    const std::string driver = std::string(MV_SOURCE_DIR) + "/tests/hostapp/configure_drive.sh";
    const mvtest::RunResult drive =
        s.run({"xvfb-run", "-a", "-s", "-screen 0 1280x800x24", driver, mvtest::hostProgram().string(),
               s.path("clip.mkv").string(), s.path("dialog.png").string()});
    ASSERT_NE(drive.out.find("status 0"), std::string::npos) << drive.out << drive.err;

    // The body moved by (72, 48) of the control's 720 x 480; slider 2 down 13 steps.
    const std::string shown = s.host({"settings", "show"}).out;
    EXPECT_NE(shown.find("region: left 0.35, right 0.85, top 0.35, bottom 0.85"), std::string::npos) << shown;
    EXPECT_NE(shown.find("zoom-out: 37 %"), std::string::npos) << shown;

    // The next render is the one those settings give.
    ASSERT_EQ(s.host({"render", s.path("clip.mkv").string(), "-o", s.path("after.mkv").string()}).status, 0);
    ASSERT_EQ(s.host({"settings", "reset"}).status, 0);
    ASSERT_EQ(s.host({"settings", "set", "--region", "0.35,0.85,0.35,0.85", "--zoom-out", "37"}).status, 0);
    ASSERT_EQ(s.host({"render", s.path("clip.mkv").string(), "-o", s.path("same.mkv").string()}).status, 0);
    const auto after = mvtest::readFrames(s, s.path("after.mkv").string(), 96, 64);
    EXPECT_EQ(after.size(), 12u);
    EXPECT_TRUE(after == mvtest::readFrames(s, s.path("same.mkv").string(), 96, 64));
}

// No display, or one there only on paper (an X socket file nobody serves, as
// a crashed server leaves): one line, never Qt's abort. Which environments
// have a display at all is the toolkit's table (test_NoDisplay); this is
// the program's way out of each kind.
TEST(Configure, WithoutADisplayOneLinePointsToSettings) {
    Scratch s;
    std::string x;  // at a number no server uses
    for (int n = 300 + getpid() % 500; x.empty() || std::filesystem::exists(x); ++n) x = "/tmp/.X11-unix/X" + std::to_string(n);
    std::filesystem::create_directories("/tmp/.X11-unix");
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    x.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << x;
    close(fd);  // the file stays, with nobody behind it
    for (const std::string& env : {std::string("unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE;"),
                                   "unset WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE; export DISPLAY=:" + x.substr(16) + ";"}) {
        const mvtest::RunResult r = s.run({mvtest::hostProgram().string(), "configure"}, env);
        EXPECT_NE(r.status, 0) << env;
        EXPECT_NE(r.err.find("morvatelle settings set"), std::string::npos) << env << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }
    std::filesystem::remove(x);
}

}  // namespace
