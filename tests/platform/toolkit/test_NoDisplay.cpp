// Without a display a window cannot be opened: one clear line and an error
// code, never the toolkit's own abort, whether nothing is set or what is set
// is there only on paper (a stale X socket, a Wayland socket nobody serves).
// No application object exists here.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "system/CFBundle.h"
#include "toolkit/Display.h"
#include "toolkit/IBCarbonRuntime.h"

namespace {

namespace fs = std::filesystem;

// A UNIX socket at `path`, listening, or (stale) with nobody behind it.
int SocketAt(const fs::path& path, bool listening) {
    fs::create_directories(path.parent_path());
    fs::remove(path);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path;
    if (listening) {
        EXPECT_EQ(listen(fd, 1), 0);
        return fd;
    }
    close(fd);
    return -1;
}

struct Environment {
    const char* name;
    const char *display, *wayland, *platform;  // null: unset; display "stale": a socket nobody serves
    bool screenless, usable;
    const char* why;
};

// An X display number whose socket is not there: never one a server uses.
std::string UnusedXSocket() {
    for (int n = 300 + getpid() % 500;; ++n)
        if (const std::string path = "/tmp/.X11-unix/X" + std::to_string(n); !fs::exists(path)) return path;
}

void Set(const char* name, const char* value) {
    if (value) setenv(name, value, 1);
    else unsetenv(name);
}

class NoDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        staleX_ = UnusedXSocket();
        SocketAt(staleX_, false);
        SocketAt(dir_ / "stale-wayland", false);
        live_ = SocketAt(dir_ / "live-wayland", true);
    }
    void TearDown() override {
        close(live_);
        fs::remove(staleX_);
        fs::remove_all(dir_);
    }
    void Apply(const Environment& e) {
        const std::string x = e.display && std::string(e.display) == "stale" ? ":" + staleX_.substr(16) : "";
        Set("DISPLAY", x.empty() ? e.display : x.c_str());
        const std::string w = e.wayland ? (dir_ / e.wayland).string() : "";
        Set("WAYLAND_DISPLAY", e.wayland ? w.c_str() : nullptr);
        Set("QT_QPA_PLATFORM", e.platform);
        Set("XDG_SESSION_TYPE", nullptr);
    }

    std::string staleX_;
    fs::path dir_ = fs::temp_directory_path() / ("mvtest-display-" + std::to_string(getpid()));
    int live_ = -1;
};

TEST_F(NoDisplay, TheDisplayItselfIsAsked) {
    const Environment cases[] = {
        {"nothing set", nullptr, nullptr, nullptr, true, false, "no display"},
        {"a stale X socket", "stale", nullptr, nullptr, true, false, "does not accept a connection"},
        {"Wayland asked for, its socket silent", nullptr, "stale-wayland", "wayland", true, false, "does not answer"},
        {"a compositor, but Qt takes X, which is stale", "stale", "live-wayland", nullptr, true, false,
         "does not accept a connection"},
        {"X asked for, only Wayland there", nullptr, "live-wayland", "xcb", true, false, "no display"},
        {"Wayland then X, neither there", "stale", "stale-wayland", "wayland;xcb", true, false, "does not answer"},
        {"offscreen, where allowed", nullptr, nullptr, "offscreen", true, true, ""},
        {"offscreen, for a window to be seen", "stale", nullptr, "offscreen", false, false, "shows no window"},
        {"a platform of Qt's own judging", nullptr, nullptr, "vnc", false, true, ""},
    };
    for (const Environment& e : cases) {
        Apply(e);
        std::string why;
        EXPECT_EQ(MVDisplayUsable(e.screenless, why), e.usable) << e.name;
        EXPECT_NE(why.find(e.why), std::string::npos) << e.name << ": " << why;
    }
}

TEST_F(NoDisplay, OpeningAWindowFailsClearly) {
    ASSERT_NE(dlopen(MV_BUNDLE_DIR "/Contents/Linux/morvatelle.so", RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
    CFStringRef id = CFStringCreateWithCString(kCFAllocatorDefault, "com.qrv.vidkitfx.morvatelle", kCFStringEncodingUTF8);
    CFStringRef nib = CFStringCreateWithCString(kCFAllocatorDefault, "about", kCFStringEncodingUTF8);
    for (const Environment& e : {Environment{"nothing set", nullptr, nullptr, nullptr, true, false, ""},
                                 Environment{"a stale X socket", "stale", nullptr, nullptr, true, false, ""},
                                 Environment{"a silent Wayland socket", nullptr, "stale-wayland", "wayland", true, false, ""}}) {
        Apply(e);
        IBNibRef ref = nullptr;
        testing::internal::CaptureStderr();
        EXPECT_EQ(CreateNibReferenceWithCFBundle(CFBundleGetBundleWithIdentifier(id), nib, &ref), kMVNoDisplayErr) << e.name;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(ref, nullptr);
        EXPECT_NE(said.find("no display"), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    }
    CFRelease(id);
    CFRelease(nib);
}

}  // namespace
