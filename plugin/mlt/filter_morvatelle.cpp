// The Morva Telle zoom as an MLT filter: the zoom that follows a fixed
// course over a clip, rendered by the effect's own engine.
//
// The contract (MLT 7), as this filter keeps it:
//  - Its state is its properties, read once a frame under the service's
//    lock: left, right, top, bottom (the start region, fractions of the
//    frame), or rect (the same as an MLT rectangle in the profile's pixels
//    or in percent; of several keyframes the first; set, it stands for the
//    four edges); zoom-in, zoom-out, overlay (shares 0..1); smooth and
//    easing (on above 0.5). Out of range is held to the range; what is no
//    number keeps the default.
//  - The course runs over the clip as the editor has it now: the frame's
//    place is its position less the clip's in, the clip's length its out
//    less in, plus one (see SpanOf for which in and out), read in process()
//    as MLT applies the filter, so every trim, split and move counts.
//  - get_image may run on several threads at once (real_time < -1): all a
//    frame needs goes with it, so every frame is the one a single worker
//    renders.
//  - The image is asked for as RGBA at whatever size the consumer wants;
//    the region is a fraction of it, so a preview at a lower resolution or
//    another render size keeps it in place.
#include <framework/mlt.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstring>

#include "guest/GuestRender.h"

namespace {

// A share held to 0..1; what is unset or no number keeps the default (MLT
// reads it as 0). The number is MLT's, in the properties' own locale.
double Share(mlt_properties properties, const char* name, double fallback) {
    const char* text = mlt_properties_get(properties, name);
    char* end = nullptr;
    if (!text || (std::strtod(text, &end), end == text)) return fallback;
    const double value = mlt_properties_get_double(properties, name);
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : fallback;
}

// rect as fractions of the frame: MLT reads percent as fractions already,
// pixels are the profile's; a field it could not read, which it leaves at
// DBL_MIN, makes no rectangle.
bool RegionOfRect(mlt_filter filter, int length, relRect& region) {
    mlt_properties properties = MLT_FILTER_PROPERTIES(filter);
    const char* text = mlt_properties_get(properties, "rect");
    if (!text || !*text) return false;
    mlt_rect r = mlt_properties_anim_get_rect(properties, "rect", 0, length);
    for (const double field : {r.x, r.y, r.w, r.h})
        if (field == DBL_MIN || !std::isfinite(field)) return false;
    if (!std::strchr(text, '%')) {
        const mlt_profile profile = mlt_service_profile(MLT_FILTER_SERVICE(filter));
        if (!profile || profile->width < 1 || profile->height < 1) return false;
        r.x /= profile->width;
        r.w /= profile->width;
        r.y /= profile->height;
        r.h /= profile->height;
    }
    region = mvguest::RegionOfBox(r.x, r.y, r.w, r.h);
    return true;
}

// What a frame is rendered with.
struct Settings {
    pluginDataRec config;
    mvguest::Options options;
};

Settings SettingsOf(mlt_filter filter, int length) {
    mlt_properties properties = MLT_FILTER_PROPERTIES(filter);
    Settings settings{};
    relRect start;
    if (!RegionOfRect(filter, length, start))
        start = relRect{Share(properties, "left", 0), Share(properties, "right", 1), Share(properties, "top", 0),
                        Share(properties, "bottom", 1)};
    mvguest::SetGuestConfig(settings.config, start, Share(properties, "zoom-in", 0.10),
                            Share(properties, "zoom-out", 0.50), Share(properties, "overlay", 0));
    settings.options = mvguest::Options{Share(properties, "smooth", 0) > 0.5, Share(properties, "easing", 0) > 0.5};
    return settings;
}

// Where a frame stands in its clip, and the clip's length, in frames.
struct Span {
    mlt_position position, length;
};

// The clip as it stands: a cut (Kdenlive's clip, the filter inside its
// playlist entry) has its in and out, kept by the editor through trims and
// splits, whatever a stale copy on the filter says. A filter attached
// elsewhere runs over the range MLT set on the frame just before process():
// the filter's own in and out where it has them (Shotcut keeps a clip's
// filters to the clip), else those of the producer or track it is on. A
// filter planted on a track (melt's -filter) runs over its own in and out,
// else over its frame's producer.
Span SpanOf(mlt_filter filter, mlt_frame frame) {
    auto* owner = static_cast<mlt_service>(mlt_properties_get_data(MLT_FILTER_PROPERTIES(filter), "service", nullptr));
    const mlt_service_type type = owner ? mlt_service_identify(owner) : mlt_service_invalid_type;
    const mlt_position at = mlt_frame_get_position(frame);
    if ((type == mlt_service_producer_type || type == mlt_service_chain_type) &&
        mlt_producer_is_cut(reinterpret_cast<mlt_producer>(owner))) {
        auto* cut = reinterpret_cast<mlt_producer>(owner);
        const mlt_position in = mlt_producer_get_in(cut);
        return Span{at - in, mlt_producer_get_out(cut) - in + 1};
    }
    mlt_properties properties = MLT_FRAME_PROPERTIES(frame);
    const mlt_position in = mlt_properties_get_position(properties, "in");
    const mlt_position out = mlt_properties_get_position(properties, "out");
    if (owner && out >= in) return Span{at - in, out - in + 1};
    return Span{mlt_filter_get_position(filter, frame), mlt_filter_get_length2(filter, frame)};
}

int GetImage(mlt_frame frame, uint8_t** image, mlt_image_format* format, int* width, int* height, int) {
    auto filter = static_cast<mlt_filter>(mlt_frame_pop_service(frame));
    const int position = mlt_frame_pop_service_int(frame);
    const int length = mlt_frame_pop_service_int(frame);
    *format = mlt_image_rgba;
    const int error = mlt_frame_get_image(frame, image, format, width, height, 0);
    if (error || *format != mlt_image_rgba || *width < 1 || *height < 1 || *width > 32767 || *height > 32767)
        return error;

    mlt_service_lock(MLT_FILTER_SERVICE(filter));
    const Settings settings = SettingsOf(filter, length);
    mlt_service_unlock(MLT_FILTER_SERVICE(filter));

    const int size = mlt_image_format_size(mlt_image_rgba, *width, *height, nullptr);
    auto* out = static_cast<uint8_t*>(mlt_pool_alloc(size));
    if (!out) return 0;  // the frame as it came
    const mvguest::Frame pixels{static_cast<unsigned>(*width), static_cast<unsigned>(*height),
                                reinterpret_cast<const std::uint32_t*>(*image), reinterpret_cast<std::uint32_t*>(out)};
    mvguest::Images images;  // the overlay's, for this frame alone
    mvguest::RenderGuestFrame(settings.config, settings.options, position, length, pixels, images);
    mvguest::DisposeImages(images);
    mlt_frame_set_image(frame, out, size, mlt_pool_release);
    *image = out;
    return 0;
}

mlt_frame Process(mlt_filter filter, mlt_frame frame) {
    const Span span = SpanOf(filter, frame);
    mlt_frame_push_service_int(frame, static_cast<int>(span.length));
    mlt_frame_push_service_int(frame, static_cast<int>(span.position));
    mlt_frame_push_service(frame, filter);
    mlt_frame_push_get_image(frame, GetImage);
    return frame;
}

}  // namespace

extern "C" mlt_filter filter_morvatelle_init(mlt_profile, mlt_service_type, const char*, char*) {
    mlt_filter filter = mlt_filter_new();
    if (filter) filter->process = Process;
    return filter;
}
