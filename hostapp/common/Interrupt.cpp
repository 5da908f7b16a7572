#include "common/Interrupt.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace mv {

namespace {

// How long the program has to unwind by itself after a signal.
constexpr auto kGrace = std::chrono::milliseconds(500);

std::atomic<int> gSignal{0};
std::atomic<bool> gLineClaimed{false};

sigset_t interruptSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

void watch(const std::function<void()>& cleanUp) {
    const sigset_t set = interruptSignals();
    int number = 0;
    if (sigwait(&set, &number) != 0) return;
    gSignal = number;
    const auto deadline = std::chrono::steady_clock::now() + kGrace;
    while (std::chrono::steady_clock::now() < deadline) {
        if (gLineClaimed) return;  // the program is ending by itself
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!claimClosingLine()) return;
    cleanUp();
    std::fprintf(stderr, "morvatelle: interrupted\n");
    std::fflush(nullptr);
    _exit(128 + number);
}

}  // namespace

void installInterruptHandler(std::function<void()> cleanUp) {
    const sigset_t set = interruptSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([cleanUp = std::move(cleanUp)] { watch(cleanUp); }).detach();
}

bool interrupted() { return gSignal != 0; }

int interruptStatus() { return 128 + gSignal; }

bool claimClosingLine() { return !gLineClaimed.exchange(true); }

}  // namespace mv
