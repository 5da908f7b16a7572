// morvatelle-settings run as a program in a temporary settings folder: what
// it writes is what the plug-in's own reader gets, and bad values change
// nothing.
#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "config/DataHandling.h"
#include "config/PluginDefines.h"
#include "config/prefsloader.h"

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

std::string Slurp(int fd) {
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
    return text;
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class SettingsTool : public ::testing::Test {
protected:
    void SetUp() override {
        char dirTemplate[] = "/tmp/mv-settings-test-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        dir_ = dirTemplate;
        configHome_ = dir_;
        tool_ = fs::path(std::getenv("MV_BUILD_DIR")) / "bin" / "morvatelle-settings";
        ASSERT_TRUE(fs::exists(tool_)) << tool_;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Starts the tool with XDG_CONFIG_HOME set to configHome_, its output
    // going to the given descriptors; `asNobody` drops the super-user's rights.
    pid_t Start(std::vector<std::string> args, int out, int err, bool asNobody = false) {
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(out, 1);
            dup2(err, 2);
            setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
            if (asNobody && geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
                _exit(126);
            std::vector<char*> argv{const_cast<char*>(tool_.c_str())};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(tool_.c_str(), argv.data());
            _exit(127);
        }
        return pid;
    }

    // Runs the tool to its end; stdout and stderr come back apart.
    ToolRun Tool(std::vector<std::string> args, bool asNobody = false) {
        int outPipe[2], errPipe[2];
        if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return {};
        const pid_t pid = Start(std::move(args), outPipe[1], errPipe[1], asNobody);
        close(outPipe[1]);
        close(errPipe[1]);
        ToolRun run;
        run.out = Slurp(outPipe[0]);
        run.err = Slurp(errPipe[0]);
        close(outPipe[0]);
        close(errPipe[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    // The record as the plug-in reads it at start-up.
    pluginDataRec PluginView() {
        setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
        pluginDataRec config{};
        ResetConfig(&config, true);
        EXPECT_TRUE(ReadConfig(&config));
        return config;
    }

    fs::path SettingsFile() const { return fs::path(configHome_) / "kwtrp-Prefs"; }

    fs::path dir_;
    std::string configHome_;
    fs::path tool_;
};

TEST_F(SettingsTool, ShowsTheDefaultsAndWhereTheFileIs) {
    const ToolRun run = Tool({"show"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("settings file: " + SettingsFile().string() + " (no saved settings"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("region: left 0, right 1, top 0, bottom 1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("zoom-in: 10 %\nzoom-out: 50 %\noverlay: 0 %\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("keep proportions: off\nmedia: ntsc (720 x 480)\n"), std::string::npos) << run.out;
}

TEST_F(SettingsTool, SetShowResetRoundTrip) {
    ToolRun run = Tool({"set", "--region", "0.25,0.75,0.1,0.9", "--zoom-in", "20", "--zoom-out", "100", "--overlay",
                    "35", "--keep-proportions", "on", "--media", "pal"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    pluginDataRec seen = PluginView();
    EXPECT_EQ(seen.startRel.left, 0.25);
    EXPECT_EQ(seen.startRel.right, 0.75);
    EXPECT_EQ(seen.startRel.top, 0.1);
    EXPECT_EQ(seen.startRel.bottom, 0.9);
    EXPECT_EQ(seen.sliders[0], 20);
    EXPECT_EQ(seen.sliders[1], 100);
    EXPECT_EQ(seen.sliders[2], 35);
    EXPECT_TRUE(seen.keepProps);
    EXPECT_EQ(seen.mediaType, cMediaPAL);

    run = Tool({"show"});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find("no saved settings"), std::string::npos);
    EXPECT_NE(run.out.find("region: left 0.25, right 0.75, top 0.1, bottom 0.9\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("zoom-in: 20 %\nzoom-out: 100 %\noverlay: 35 %\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("keep proportions: on\nmedia: pal (720 x 576)\n"), std::string::npos) << run.out;

    // A partial set keeps everything it does not name.
    ASSERT_EQ(Tool({"set", "--media", "hd", "--keep-proportions", "off"}).status, 0);
    seen = PluginView();
    EXPECT_EQ(seen.mediaType, cMediaHD);
    EXPECT_FALSE(seen.keepProps);
    EXPECT_EQ(seen.startRel.top, 0.1);
    EXPECT_EQ(seen.sliders[2], 35);

    ASSERT_EQ(Tool({"reset"}).status, 0);
    seen = PluginView();
    EXPECT_EQ(seen.startRel.left, 0.0);
    EXPECT_EQ(seen.startRel.bottom, 1.0);
    EXPECT_EQ(seen.sliders[0], 10);
    EXPECT_EQ(seen.sliders[1], 50);
    EXPECT_EQ(seen.sliders[2], 0);
    EXPECT_EQ(seen.mediaType, cMediaNTSC);
}

TEST_F(SettingsTool, FractionsSurviveExactly) {
    ASSERT_EQ(Tool({"set", "--region", "0.1234567890123,0.987654321,1e-3,1"}).status, 0);
    const pluginDataRec seen = PluginView();
    EXPECT_EQ(seen.startRel.left, 0.1234567890123);
    EXPECT_EQ(seen.startRel.right, 0.987654321);
    EXPECT_EQ(seen.startRel.top, 0.001);
    const ToolRun run = Tool({"show"});
    EXPECT_NE(run.out.find("left 0.1234567890123, right 0.987654321, top 0.001, bottom 1\n"), std::string::npos)
        << run.out;
}

TEST_F(SettingsTool, BadValuesAreRefusedInOneLineAndChangeNothing) {
    ASSERT_EQ(Tool({"set", "--zoom-in", "33"}).status, 0);
    const std::string before = ReadFile(SettingsFile());
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::string regionRule = "0 <= L < R <= 1 and 0 <= T < B <= 1";
    const Case cases[] = {
        {{"set", "--region", "0.5,0.4,0,1"}, regionRule},
        {{"set", "--region", "0.5,0.5,0,1"}, regionRule},
        {{"set", "--region", "0,1,0.5,0.5"}, regionRule},
        {{"set", "--region", "0,1.5,0,1"}, regionRule},
        {{"set", "--region=-0.1,1,0,1"}, regionRule},
        {{"set", "--region", "0,1,0"}, regionRule},
        {{"set", "--region", "0,1,0,1,0"}, regionRule},
        {{"set", "--region", "nan,1,0,1"}, "not a finite number"},
        {{"set", "--region", "0,inf,0,1"}, "not a finite number"},
        {{"set", "--region", "0,x,0,1"}, "not a finite number"},
        {{"set", "--zoom-in", "101"}, "0 to 100"},
        {{"set", "--zoom-out", "-1"}, "0 to 100"},
        {{"set", "--overlay", "5.5"}, "0 to 100"},
        {{"set", "--overlay", "lots"}, "0 to 100"},
        // Checked before anything is written, whatever comes first.
        {{"set", "--zoom-in", "20", "--media", "secam"}, "'ntsc', 'pal' or 'hd'"},
        {{"set", "--keep-proportions", "yes"}, "'on' or 'off'"},
        {{"set", "--speed", "3"}, "--speed"},
        {{"frobnicate"}, "frobnicate"},
        {{}, "show, set or reset"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Tool(c.args);
        const std::string what = c.args.empty() ? "(no arguments)" : c.args.back();
        EXPECT_NE(run.status, 0) << what;
        EXPECT_EQ(run.out, "") << what;
        ASSERT_FALSE(run.err.empty()) << what;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line for " << what << ": " << run.err;
        EXPECT_EQ(run.err.rfind("morvatelle-settings: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(SettingsFile()), before) << what;
    }
}

TEST_F(SettingsTool, HelpForEveryCommand) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--help"}, {"show", "--help"}, {"set", "--help"}, {"reset", "--help"}}) {
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.status, 0) << args.front();
        EXPECT_NE(run.out.find("Usage"), std::string::npos) << run.out;
    }
    EXPECT_NE(Tool({"set", "--help"}).out.find("--keep-proportions"), std::string::npos);
}

TEST_F(SettingsTool, UnusableSettingsFolderFailsClearly) {
    configHome_ = "/proc/no-such-folder/config";
    const ToolRun run = Tool({"set", "--zoom-in", "20"});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("could not write the settings file"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

// A file that exists but cannot be read may hold settings: it is left as it
// is, and the user is told why nothing was saved.
TEST_F(SettingsTool, UnreadableFileIsLeftAlone) {
    ASSERT_EQ(Tool({"set", "--zoom-in", "20"}).status, 0);
    const std::string before = ReadFile(SettingsFile());
    // Someone else's file in a folder we may write to.
    fs::permissions(dir_, fs::perms::all);
    fs::permissions(SettingsFile(), fs::perms::none);
    const ToolRun run = Tool({"set", "--zoom-in", "30"}, true);
    fs::permissions(SettingsFile(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("permission denied"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(SettingsFile()), before);
    EXPECT_EQ(PluginView().sliders[0], 20);
}

// However a save is cut short, the file holds the old settings or the new.
TEST_F(SettingsTool, KilledSaveLeavesOldOrNewSettings) {
    ASSERT_EQ(Tool({"set", "--zoom-in", "0"}).status, 0);
    std::mt19937 random(20261209);
    const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    SInt16 last = 0;
    for (int round = 1; round <= 60; ++round) {
        const SInt16 next = static_cast<SInt16>(round % 100);
        const pid_t pid = Start({"set", "--zoom-in", std::to_string(next)}, devNull, devNull);
        usleep(std::uniform_int_distribution<useconds_t>(0, 4000)(random));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(fs::is_regular_file(SettingsFile())) << "round " << round;
        const SInt16 now = PluginView().sliders[0];
        EXPECT_TRUE(now == last || now == next) << "round " << round << ": " << now;
        last = now;
    }
    close(devNull);
}

}  // namespace
