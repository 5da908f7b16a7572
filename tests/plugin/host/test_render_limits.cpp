// Work and fade images that cannot be had: each case runs in a forked child
// whose address space is capped just above what it already uses, so the
// platform's NewGWorld really fails for want of memory.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdint>

#include "test_render_host.h"

namespace rendertest {
namespace {

// Big enough to dwarf the child's other needs, and a size no other test
// frees, so no kept buffer can stand in for a fresh one.
constexpr int kWidth = 2000;
constexpr int kHeight = 1500;
constexpr long kImageBytes = long{kWidth} * kHeight * 4;
constexpr long kSlack = 4L << 20;

struct Outcome {
    int result = -1;
    int releases = -1;
    int blits = -1;
    int mixes = -1;
    int blitOpacity = -1;
    int untouchedOutput = -1;
    int capHeld = -1;  // 0 where the cap is not enforced (a user-mode emulator)
};

// Whether a mapping beyond the cap is refused, as the kernel does.
bool CapHeld(long room) {
    void* p = mmap(nullptr, static_cast<std::size_t>(room + (64L << 20)), PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return true;
    munmap(p, static_cast<std::size_t>(room + (64L << 20)));
    return false;
}

constexpr const char* kNoCap = "the address-space cap is not enforced here (a user-mode emulator ignores it)";

long AddressSpaceInUse() {
    long pages = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return -1;
    const int n = std::fscanf(f, "%ld", &pages);
    std::fclose(f);
    return n == 1 ? pages * sysconf(_SC_PAGESIZE) : -1;
}

// Renders frame 5 of a 100-frame clip with the given fade-in, with room
// for `images` more frame-sized images once the run is open.
Outcome RenderWithRoomFor(double images, SInt32 fadeIn) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        Outcome out;
        // Nothing may escape into the test runner's loop in this child.
        try {
            TestHost host;
            // Placed off the output's origin: the render needs a work image of its own.
            host.SetOutput(kWidth, kHeight, 1, 1);
            GWorldPtr source = MakeWorld(kWidth, kHeight);
            FillWorld(source, 0xFF00FF00u);
            host.script().preparedFrame = source;
            host.script().filterInfo.fadeInFrames = fadeIn;
            host.script().blits.reserve(4);
            host.script().releases.reserve(4);
            host.script().getFrames.reserve(4);
            if (host.Call(kPlugInitialize) == kPluginOK) {
                host.params().renderFrame = 5;
                const long inUse = AddressSpaceInUse();
                const long room = kSlack + static_cast<long>(images * kImageBytes);
                const rlimit cap{static_cast<rlim_t>(inUse + room), RLIM_INFINITY};
                if (inUse > 0 && setrlimit(RLIMIT_AS, &cap) == 0) out.capHeld = CapHeld(room);
                if (out.capHeld == 1) {
                    out.result = host.Call(kPlugDoFrame);
                    out.releases = static_cast<int>(host.script().releases.size());
                    out.blits = static_cast<int>(host.script().blits.size());
                    out.mixes = host.script().mixCalls;
                    out.blitOpacity = out.blits > 0 ? host.script().blits[0].opacity : -1;
                    out.untouchedOutput = PixelAt(host.output(), 0, 0) == 0xFF123456u &&
                                          PixelAt(host.output(), kWidth - 1, kHeight - 1) == 0xFF123456u;
                }
            }
        } catch (...) {
            _exit(2);
        }
        const ssize_t written = write(pipeFds[1], &out, sizeof out);
        _exit(written == static_cast<ssize_t>(sizeof out) ? 0 : 1);
    }
    close(pipeFds[1]);
    Outcome out;
    const ssize_t got = read(pipeFds[0], &out, sizeof out);
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got != static_cast<ssize_t>(sizeof out) || !WIFEXITED(status)) return {};
    return out;
}

class RenderWithoutMemory : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "the sanitizer's shadow memory cannot live under an address-space cap";
#endif
        BundleMain();  // loaded before the fork, as a host has it loaded
    }
};

TEST_F(RenderWithoutMemory, WorkImageGivesOutOfMemoryAndTheFrameIsReleased) {
    const Outcome out = RenderWithRoomFor(0.5, 0);
    if (out.capHeld == 0) GTEST_SKIP() << kNoCap;
    EXPECT_EQ(out.result, kPluginOutOfMemory);
    EXPECT_EQ(out.releases, 1);
    EXPECT_EQ(out.mixes, 0);
    EXPECT_EQ(out.untouchedOutput, 1);
}

TEST_F(RenderWithoutMemory, FadeImageGivesFailedAfterTheRelease) {
    const Outcome out = RenderWithRoomFor(0.5, 10);
    if (out.capHeld == 0) GTEST_SKIP() << kNoCap;
    EXPECT_EQ(out.result, kPluginFailed);
    EXPECT_EQ(out.releases, 1);
    EXPECT_EQ(out.blits, 0);
    EXPECT_EQ(out.mixes, 0);
}

// The fade image fits, the work image does not: the failure stands, and
// nothing is blended over a frame that was never rendered.
TEST_F(RenderWithoutMemory, FailedEffectIsNotHiddenByTheFade) {
    const Outcome out = RenderWithRoomFor(1.5, 10);
    if (out.capHeld == 0) GTEST_SKIP() << kNoCap;
    EXPECT_EQ(out.result, kPluginOutOfMemory);
    EXPECT_EQ(out.blits, 0);
    EXPECT_EQ(out.mixes, 0);
    EXPECT_EQ(out.releases, 1);
    EXPECT_EQ(out.untouchedOutput, 1);
}

}  // namespace
}  // namespace rendertest
