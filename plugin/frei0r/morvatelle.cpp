// The frei0r entry points of the Morva Telle filter: the zoom that follows a
// fixed course over a clip, rendered by the effect's own engine.
//
// The contract (frei0r 1.2), as this filter keeps it:
//  - f0r_init / f0r_deinit may come more than once; they hold nothing.
//  - Every instance is its own: its parameters, its frames, its count of
//    frames rendered. Instances may live on different threads. An
//    instance's calls take its own lock (MLT's sliced threading calls one
//    instance on several threads at once); frames of different instances
//    render at once, each thread drawing in its own current port.
//  - f0r_update's time is turned into a frame position with the parameters
//    frame-rate and time-scale (ffmpeg's milliseconds: 1000; MLT's seconds
//    from the filter's in point: 1), so a frame is rendered from its time
//    alone, in any order; a time that is not a number, negative or beyond
//    any clip (ffmpeg's when it has lost the time stamp) takes the frame
//    after the one rendered last. With frames (the clip's length) 0 there is
//    no course and the start region is held.
//  - Pixels are R, G, B, A bytes, rows of exactly width pixels. A zoom needs
//    the whole frame: MLT's sliced threading (threads=0) hands each call a
//    band, which is zoomed as a picture of its own (one at a time, though
//    the bands come on several threads at once).
//  - smooth and easing are off unless set above 0.5; off, every frame is the
//    exact one.
//  - Parameters out of range are held to it; not-a-number is ignored. The
//    text parameter rect, where it holds a rectangle, stands for the four
//    edges; text that is no rectangle leaves them in charge.
//  - A frame that cannot be rendered (no memory) is passed through as it
//    came, said once on standard error; the host goes on, and so does the
//    filter with the next frame.
// The header declares the entry points without C linkage.
extern "C" {
#include <frei0r.h>
}

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "config/DataHandling.h"
#include "frei0r/FilterState.h"
#include "frei0r/Parameters.h"

using mvfrei0r::Instance;

namespace {

// Enough of a text for any rectangle, the first keyframe of several; less
// than a page.
constexpr std::size_t kTextBytes = 1024;

// Up to `size` (at most a page) bytes of this process's memory at
// `address`, read by the kernel: an address that cannot be read is a short
// count, not a fault, and no byte past what is asked is touched. The read is
// split where a page ends, since the kernel stops between pieces, not inside
// one. Through a pipe where the kernel refuses process_vm_readv (some
// sandboxes do), which is then not asked again.
std::size_t ReadOwn(const void* address, char* into, std::size_t size) {
    static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(address);
    const std::size_t first = std::min(size, page - start % page);
    static std::atomic<bool> refused{false};
    if (!refused.load(std::memory_order_relaxed)) {
        iovec local{into, size};
        iovec remote[2] = {{const_cast<void*>(address), first},
                           {reinterpret_cast<void*>(start + first), size - first}};
        const ssize_t got = process_vm_readv(getpid(), &local, 1, remote, size > first ? 2 : 1, 0);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EPERM && errno != ENOSYS) return 0;
        refused.store(true, std::memory_order_relaxed);
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return 0;
    std::size_t total = 0;
    for (std::size_t piece = first; total < size; piece = std::min(size - total, page)) {
        const ssize_t wrote = write(ends[1], static_cast<const char*>(address) + total, piece);
        if (wrote <= 0 || read(ends[0], into + total, static_cast<std::size_t>(wrote)) != wrote) break;
        total += static_cast<std::size_t>(wrote);
    }
    close(ends[0]);
    close(ends[1]);
    return total;
}

// The text at `address`, up to its end or the first bytes of it that a
// rectangle needs; nothing where it cannot be read or holds a byte no text
// of ours has.
bool TextAt(const void* address, std::string& text) {
    char bytes[kTextBytes];
    const std::size_t got = ReadOwn(address, bytes, sizeof bytes);
    const std::size_t end = std::find(bytes, bytes + got, '\0') - bytes;
    if (got == 0 || !std::all_of(bytes, bytes + end, [](unsigned char c) { return c >= 0x20 || std::isspace(c); }))
        return false;
    text.assign(bytes, end);
    return true;
}

// A text parameter comes as a pointer to the text's pointer, as frei0r says,
// but GStreamer (1.6 and later) hands a playing element's new text itself,
// in a block of its exact length. Which one came is told by the first bytes,
// read by the kernel so that a text shorter than a pointer is not read past:
// as frei0r says where they address memory of this process holding a text;
// else the text itself. Seven printable bytes or more (every rectangle's
// text) make no address of a 64-bit process. A shorter text makes no
// rectangle either way; its block's leftovers (glibc 2.32 and later mangles
// a freed block's link) seldom address a text.
std::string TextOf(f0r_param_t param) {
    std::string text;
    char bytes[sizeof(const char*)];
    if (ReadOwn(param, bytes, sizeof bytes) == sizeof bytes) {
        const char* pointer;
        std::memcpy(&pointer, bytes, sizeof pointer);
        if (pointer && TextAt(pointer, text)) return text;
    }
    TextAt(param, text);
    return text;
}

}  // namespace

// The entry points are the library's only visible names.
#pragma GCC visibility push(default)
extern "C" {

int f0r_init(void) { return 1; }

void f0r_deinit(void) {}

void f0r_get_plugin_info(f0r_plugin_info_t* info) {
    info->name = "Morva Telle zoom";  // GStreamer's element: frei0r-filter-morva-telle-zoom; Pitivi shows and searches this
    info->author = "The Morva Telle developers";
    info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
    info->color_model = F0R_COLOR_MODEL_RGBA8888;
    info->frei0r_version = FREI0R_MAJOR_VERSION;
    info->major_version = 3;
    info->minor_version = 0;
    info->num_params = mvfrei0r::kParameterCount;
    info->explanation = "A zoom that follows a fixed course: in from the whole frame to a region, held, and out again";
}

void f0r_get_param_info(f0r_param_info_t* info, int param_index) {
    if (param_index < 0 || param_index >= mvfrei0r::kParameterCount) return;
    const mvfrei0r::ParameterInfo& p = mvfrei0r::kParameters[param_index];
    info->name = p.name;
    info->type = p.type;
    info->explanation = p.explanation;
}

f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
    if (width == 0 || height == 0 || width > 32767 || height > 32767) return nullptr;
    auto* instance = new (std::nothrow) Instance;
    if (!instance) return nullptr;
    instance->width = width;
    instance->height = height;
    ResetConfig(&instance->config, true);
    return instance;
}

void f0r_destruct(f0r_instance_t instance) {
    auto* i = static_cast<Instance*>(instance);
    if (!i) return;
    mvfrei0r::DisposeImages(*i);  // made only if the overlay was used
    delete i;
}

void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
    if (!instance || !param) return;
    auto* i = static_cast<Instance*>(instance);
    const bool text = param_index >= 0 && param_index < mvfrei0r::kParameterCount &&
                      mvfrei0r::kParameters[param_index].type == F0R_PARAM_STRING;
    const std::string value = text ? TextOf(param) : std::string();
    const std::lock_guard lock(i->lock);  // another band may be rendering
    if (text)
        mvfrei0r::SetTextParameter(*i, param_index, value.c_str());
    else
        mvfrei0r::SetParameter(*i, param_index, *static_cast<const double*>(param));
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
    if (!instance || !param) return;
    auto* i = static_cast<Instance*>(instance);
    const std::lock_guard lock(i->lock);
    // A text stays the instance's: the host gets its address, good until the next set.
    if (param_index >= 0 && param_index < mvfrei0r::kParameterCount &&
        mvfrei0r::kParameters[param_index].type == F0R_PARAM_STRING)
        *static_cast<f0r_param_string*>(param) = const_cast<char*>(mvfrei0r::GetTextParameter(*i, param_index));
    else
        *static_cast<double*>(param) = mvfrei0r::GetParameter(*i, param_index);
}

void f0r_update(f0r_instance_t instance, double time, const uint32_t* inframe, uint32_t* outframe) {
    auto* i = static_cast<Instance*>(instance);
    if (!i || !inframe || !outframe) return;
    mvfrei0r::RenderFrame(*i, time, inframe, outframe);
}

}  // extern "C"
#pragma GCC visibility pop
