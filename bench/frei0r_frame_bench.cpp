// The frei0r filter's own work a frame at 1920x1080, exact and smooth, over
// the benchmark course (what ffmpeg spends around it is bench/frei0r_bench.sh's):
// processor time a frame, least of three rounds. Then frames a second of two
// instances on two threads against one on one (the clock's time), exact and
// smooth: each thread renders in a current port of its own.
#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <frei0r.h>
}

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kFrames = 150;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

// Least processor time a frame over three rounds of kFrames calls.
double MsPerFrame(const std::function<void(int)>& frame) {
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        const double start = CpuSeconds();
        for (int f = 0; f < kFrames; ++f) frame(f);
        best = std::min(best, (CpuSeconds() - start) * 1000 / kFrames);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string library = argc > 1 ? argv[1] : "frei0r-1/morvatelle.so";
    void* so = dlopen(library.c_str(), RTLD_NOW);
    if (!so) {
        std::fprintf(stderr, "frei0r_frame_bench: %s\n", dlerror());
        return 1;
    }
    auto construct = reinterpret_cast<decltype(&f0r_construct)>(dlsym(so, "f0r_construct"));
    auto set = reinterpret_cast<decltype(&f0r_set_param_value)>(dlsym(so, "f0r_set_param_value"));
    auto update = reinterpret_cast<decltype(&f0r_update)>(dlsym(so, "f0r_update"));
    auto destruct = reinterpret_cast<decltype(&f0r_destruct)>(dlsym(so, "f0r_destruct"));

    std::vector<std::uint32_t> in(std::size_t{kWidth} * kHeight), out(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint32_t>(i * 2654435761u);
    auto course = [&](bool smooth) {
        f0r_instance_t filter = construct(kWidth, kHeight);
        const double values[] = {0.25, 0.75, 0.25, 0.75, 0.1, 0.5, 0, kFrames * 1e-6, 30e-3, 0.001, smooth ? 1.0 : 0.0};
        for (int i = 0; i < 11; ++i) set(filter, const_cast<double*>(&values[i]), i);
        const double ms = MsPerFrame([&](int f) { update(filter, f * 1000.0 / 30, in.data(), out.data()); });
        destruct(filter);
        return ms;
    };

    const double exact = course(false), smooth = course(true);
    std::printf("1920x1080, %d frames of the course, processor time a frame:\n", kFrames);
    std::printf("  filter, exact     %6.2f ms\n", exact);
    std::printf("  filter, smooth    %6.2f ms\n", smooth);

    // Frames a second of `threads` instances, each on a thread of its own
    // with frames of its own, over the course; best of three rounds.
    auto throughput = [&](bool smoothly, int threads) {
        double best = 0;
        for (int round = 0; round < 3; ++round) {
            std::vector<std::thread> workers;
            const auto start = std::chrono::steady_clock::now();
            for (int t = 0; t < threads; ++t)
                workers.emplace_back([&] {
                    std::vector<std::uint32_t> own(in), result(in.size());
                    f0r_instance_t filter = construct(kWidth, kHeight);
                    const double values[] = {0.25, 0.75, 0.25, 0.75, 0.1, 0.5, 0, kFrames * 1e-6, 30e-3, 0.001,
                                             smoothly ? 1.0 : 0.0};
                    for (int i = 0; i < 11; ++i) set(filter, const_cast<double*>(&values[i]), i);
                    for (int f = 0; f < kFrames; ++f) update(filter, f * 1000.0 / 30, own.data(), result.data());
                    destruct(filter);
                });
            for (std::thread& w : workers) w.join();
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            best = std::max(best, threads * kFrames / seconds);
        }
        return best;
    };
    for (const bool s : {false, true}) {
        const double one = throughput(s, 1), two = throughput(s, 2);
        std::printf("  %s: one thread %6.1f frames/s, two %6.1f frames/s: %.2fx\n", s ? "smooth" : "exact ", one, two,
                    two / one);
    }
    return 0;
}
