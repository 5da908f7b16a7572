#include "common/Progress.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace mv {

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

std::string clock(double seconds) {
    long s = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

Progress::Progress(std::int64_t total)
    : total_(total), enabled_(isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now()) {}

Progress::~Progress() { finish(); }

void Progress::update(std::int64_t done) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (shown_ && now - lastDraw_ < kRedrawEvery && done < total_) return;
    lastDraw_ = now;
    shown_ = true;
    double elapsed = std::chrono::duration<double>(now - start_).count();
    double fps = elapsed > 0 ? done / elapsed : 0;
    double left = fps > 0 ? (total_ - done) / fps : 0;
    int filled = total_ > 0 ? static_cast<int>(kBarWidth * done / total_) : kBarWidth;
    std::string bar(filled, '#');
    bar.resize(kBarWidth, '.');
    std::fprintf(stderr, "\r[%s] frame %lld/%lld  %.1f fps  %s left \033[K", bar.c_str(),
                 static_cast<long long>(done), static_cast<long long>(total_), fps, clock(left).c_str());
    std::fflush(stderr);
}

void Progress::finish() {
    if (!shown_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    shown_ = false;
}

}  // namespace mv
