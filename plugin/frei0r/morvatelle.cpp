// The frei0r entry points of the Morva Telle filter: the zoom that follows a
// fixed course over a clip, rendered by the effect's own engine.
//
// The contract (frei0r 1.2), as this filter keeps it:
//  - f0r_init / f0r_deinit may come more than once; they hold nothing.
//  - Every instance is its own: its parameters, its frames, its count of
//    frames rendered. Instances may live on different threads; their frames
//    are rendered one at a time.
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

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "config/DataHandling.h"
#include "frei0r/FilterState.h"
#include "frei0r/Parameters.h"

using mvfrei0r::Instance;

namespace {

// A text parameter comes as a pointer to the text's pointer, as frei0r says,
// but GStreamer 1.22 hands a playing element's new text itself. Which one
// came is told by what its first bytes would point to: an address of this
// process holding memory, or (text: printable bytes make no such address)
// not. That holds for 64-bit addresses only; 32-bit ones keep the contract.
const char* TextOf(f0r_param_t param) {
    const char* text = nullptr;
    std::memcpy(&text, param, sizeof text);
    if constexpr (sizeof text < 8) return text ? text : "";
    const auto address = reinterpret_cast<std::uintptr_t>(text);
    static const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    unsigned char resident = 0;
    if (address >= page && mincore(reinterpret_cast<void*>(address & ~(page - 1)), 1, &resident) == 0) return text;
    return address ? static_cast<const char*>(param) : "";
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
    if (param_index >= 0 && param_index < mvfrei0r::kParameterCount &&
        mvfrei0r::kParameters[param_index].type == F0R_PARAM_STRING)
        mvfrei0r::SetTextParameter(*i, param_index, TextOf(param));
    else
        mvfrei0r::SetParameter(*i, param_index, *static_cast<const double*>(param));
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
    if (!instance || !param) return;
    const auto* i = static_cast<const Instance*>(instance);
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
