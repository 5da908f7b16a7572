// The filter as a guest in a host's process, called through its entry points
// as hosts call it: a frame that cannot be rendered (no memory at all) comes
// out as its source, once said on standard error, and the host goes on; the
// next frame renders again. Instances render on several threads while
// others are made and destroyed, as MLT and the editors use them.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <frei0r.h>
}

namespace {

struct Api {
    decltype(&f0r_construct) construct;
    decltype(&f0r_destruct) destruct;
    decltype(&f0r_set_param_value) set;
    decltype(&f0r_get_param_value) get;
    decltype(&f0r_update) update;
};

const Api& Filter() {
    static const Api api = [] {
        void* library = dlopen(MV_FREI0R_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!library) std::abort();
        auto get = [library](const char* name) { return dlsym(library, name); };
        return Api{reinterpret_cast<decltype(&f0r_construct)>(get("f0r_construct")),
                   reinterpret_cast<decltype(&f0r_destruct)>(get("f0r_destruct")),
                   reinterpret_cast<decltype(&f0r_set_param_value)>(get("f0r_set_param_value")),
                   reinterpret_cast<decltype(&f0r_get_param_value)>(get("f0r_get_param_value")),
                   reinterpret_cast<decltype(&f0r_update)>(get("f0r_update"))};
    }();
    return api;
}

using Frame = std::vector<std::uint32_t>;

Frame Source(int w, int h) {
    Frame px(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    return px;
}

// An instance zoomed to the frame's middle over a 20-frame course;
// `overlay` and `smooth` as the host sets them.
f0r_instance_t Make(int w, int h, double overlay, double smooth) {
    f0r_instance_t i = Filter().construct(w, h);
    const double values[][2] = {{0, 0.25}, {1, 0.75}, {2, 0.25}, {3, 0.75}, {4, 1}, {6, overlay}, {7, 20e-6}, {9, 0.001}, {10, smooth}};
    for (auto [index, value] : values) {
        double v = value;
        Filter().set(i, &v, static_cast<int>(index));
    }
    return i;
}

Frame Render(f0r_instance_t i, double ms, const Frame& in) {
    Frame out(in.size());
    Filter().update(i, ms, in.data(), out.data());
    return out;
}

// The child's side of the memory test; its status says what went wrong.
int RenderWithoutMemory(double overlay, double smooth) {
    const int w = 320, h = 240;
    const Frame in = Source(w, h);
    f0r_instance_t instance = Make(w, h, overlay, smooth);
    const Frame rendered = Render(instance, 200, in);  // frame 5: on the way in, overlay laid
    if (rendered == in) return 10;

    static void* taken[1 << 20];
    std::size_t count = 0;
    Frame starved1(in.size()), starved2(in.size());  // made now: the test itself can have nothing later
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    const rlimit before = limit;
    limit.rlim_cur = 0;  // nothing new can be mapped; then the heap is used up
    setrlimit(RLIMIT_AS, &limit);
    for (std::size_t size = 1 << 20; size >= 8; size /= 2)
        while (count < std::size(taken) && (taken[count] = std::malloc(size))) ++count;
    Filter().update(instance, 200, in.data(), starved1.data());
    Filter().update(instance, 240, in.data(), starved2.data());
    for (std::size_t n = 0; n < count; ++n) std::free(taken[n]);
    setrlimit(RLIMIT_AS, &before);
    if (starved1 != in || starved2 != in) return 11;
    if (Render(instance, 200, in) != rendered) return 12;
    Filter().destruct(instance);
    return 0;
}

TEST(FilterAsGuest, AFrameWithoutMemoryIsItsSourceAndTheHostGoesOn) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's own memory needs more address space than the test leaves";
#endif
    Filter();
    // The exact render with the overlay laid; the smooth sampler with it and alone.
    for (const auto& [overlay, smooth] : {std::pair{0.5, 0.0}, {0.5, 1.0}, {0.0, 1.0}}) {
        SCOPED_TRACE("overlay " + std::to_string(overlay) + ", smooth " + std::to_string(smooth));
        int err[2];
        ASSERT_EQ(pipe(err), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(err[1], 2);
            _exit(RenderWithoutMemory(overlay, smooth));
        }
        close(err[1]);
        std::string said;
        char buffer[512];
        for (ssize_t n; (n = read(err[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<std::size_t>(n));
        close(err[0]);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << "; said: " << said;
        EXPECT_EQ(WEXITSTATUS(status), 0) << said;
        const std::string line = "a frame could not be rendered";
        const std::size_t first = said.find(line);
        EXPECT_NE(first, std::string::npos) << said;
        EXPECT_EQ(said.find(line, first + 1), std::string::npos) << "said once: " << said;
    }
}

// The rectangle handed as the text itself, as GStreamer does, in a block of
// its exact length, or ending where the readable memory ends: texts shorter
// than the eight bytes a pointer to a text would take are read no further
// than their end (the address sanitizer watches the blocks), read back as
// they came, and make no rectangle, so the frame is the edges' zoom.
TEST(FilterAsGuest, ShortTextsHandedThemselvesAreReadNoFurther) {
    const long page = sysconf(_SC_PAGESIZE);
    auto* pages = static_cast<char*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(pages + page, page, PROT_NONE), 0);
    const Frame in = Source(32, 24);
    f0r_instance_t plain = Make(32, 24, 0, 0);
    const Frame edges = Render(plain, 200, in);
    Filter().destruct(plain);
    for (const char* text : {"", "1", "5 6 7", "1 2 34"}) {
        const std::size_t size = std::strlen(text) + 1;
        char* block = static_cast<char*>(std::malloc(size));
        std::memcpy(block, text, size);
        char* atTheEdge = pages + page - size;
        std::memcpy(atTheEdge, text, size);
        for (char* where : {block, atTheEdge}) {
            SCOPED_TRACE(std::string("\"") + text + (where == block ? "\" in its block" : "\" at the page's end"));
            f0r_instance_t i = Make(32, 24, 0, 0);
            Filter().set(i, where, 13);
            char* back = nullptr;
            Filter().get(i, &back, 13);
            EXPECT_STREQ(back, text);
            EXPECT_EQ(Render(i, 200, in), edges);
            Filter().destruct(i);
        }
        std::free(block);
    }
    munmap(pages, 2 * page);
}

// MLT's sliced threading calls one instance on several threads at once, each
// setting every parameter before its band: each band is still the frame a
// lone call renders (the thread sanitizer's build watches the instance).
TEST(FilterAsGuest, OneInstancesBandsOnSeveralThreads) {
    const int w = 48, h = 16;
    f0r_instance_t i = Make(w, h, 0, 0);
    const Frame in = Source(w, h);
    std::vector<Frame> expected;
    for (int f = 0; f < 20; ++f) expected.push_back(Render(i, f * 40.0, in));
    std::vector<int> wrong(3, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < wrong.size(); ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 10; ++round)
                for (int f = 0; f < 20; ++f) {
                    double values[][2] = {{0, 0.25}, {1, 0.75}, {4, 1}, {7, 20e-6}, {9, 0.001}};
                    for (auto& [index, value] : values) Filter().set(i, &value, static_cast<int>(index));
                    wrong[t] += Render(i, f * 40.0, in) != expected[static_cast<std::size_t>(f)];
                }
        });
    for (std::thread& t : threads) t.join();
    for (std::size_t t = 0; t < wrong.size(); ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
    Filter().destruct(i);
}

// Each thread makes, renders and destroys instances of its own kind, while
// the others do the same; every frame is the one rendered alone beforehand.
TEST(FilterAsGuest, InstancesRenderOnThreadsWhileOthersComeAndGo) {
    struct Kind {
        int w, h;
        double overlay, smooth;
    };
    const Kind kinds[] = {{64, 48, 0, 0}, {48, 32, 0.5, 0}, {64, 48, 0, 1}, {40, 30, 0.3, 0}};
    std::vector<std::vector<Frame>> expected;
    for (const Kind& k : kinds) {
        f0r_instance_t i = Make(k.w, k.h, k.overlay, k.smooth);
        std::vector<Frame> frames;
        for (int f = 0; f < 20; f += 3) frames.push_back(Render(i, f * 40.0, Source(k.w, k.h)));
        Filter().destruct(i);
        expected.push_back(std::move(frames));
    }
    std::vector<int> wrong(std::size(kinds), 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < std::size(kinds); ++t)
        threads.emplace_back([&, t] {
            const Kind& k = kinds[t];
            const Frame in = Source(k.w, k.h);
            for (int round = 0; round < 25; ++round) {
                f0r_instance_t i = Make(k.w, k.h, k.overlay, k.smooth);
                for (int f = 0, n = 0; f < 20; f += 3, ++n) wrong[t] += Render(i, f * 40.0, in) != expected[t][n];
                Filter().destruct(i);
            }
        });
    for (std::thread& t : threads) t.join();
    for (std::size_t t = 0; t < std::size(kinds); ++t) EXPECT_EQ(wrong[t], 0) << "kind " << t;
}

}  // namespace
