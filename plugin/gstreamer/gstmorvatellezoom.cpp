// The Morva Telle zoom as a GStreamer element.
//
// The contract (GStreamer 1.x), as this element keeps it:
//  - Its state is its properties, read once a frame under the object lock,
//    so one changed while playing takes effect at the next frame. Each is
//    controllable: keyframes are read at the frame's stream time.
//  - The course runs over the clip as it is handed (see ClipSpan.h): GES
//    (Pitivi) hands a trimmed or split clip from its in-point with its own
//    length, a plain pipeline the stream from its start.
//  - RGBA or BGRA in and out, each frame rendered into a new buffer; the
//    overlay's images are kept between frames of one size.
#include "gstreamer/gstmorvatellezoom.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "guest/GuestRender.h"
#include "gstreamer/ClipSpan.h"

GST_DEBUG_CATEGORY_STATIC(morvatellezoom_debug);
#define GST_CAT_DEFAULT morvatellezoom_debug

namespace {

// The properties as set: the start region (fractions of the frame, or the
// rectangle that stands for them), the three shares, the options, and the
// length for a stream that has none.
struct Properties {
    double left = 0.25, right = 0.75, top = 0.25, bottom = 0.75;
    double zoomIn = 0.10, zoomOut = 0.50, overlay = 0;
    bool smooth = true, easing = false;
    std::string rect;
    gint64 frames = 0;
};

// What only the streaming thread touches.
struct Stream {
    mvguest::Images images;
    unsigned width = 0, height = 0;
    GstClockTime duration = GST_CLOCK_TIME_NONE;  // the stream's, once known, for the segment
    std::int64_t nextFrame = 0;
    std::vector<std::uint32_t> packedIn, packedOut;  // for rows with padding
};

struct State {
    Properties properties;  // under the object lock
    Stream stream;
};

enum PropertyId : guint {
    PROP_0,
    PROP_LEFT, PROP_RIGHT, PROP_TOP, PROP_BOTTOM, PROP_ZOOM_IN, PROP_ZOOM_OUT, PROP_OVERLAY,
    PROP_SMOOTH, PROP_EASING, PROP_RECT, PROP_FRAMES,
};

struct ShareProperty {
    PropertyId id;
    const char *name, *nick, *blurb;
    double Properties::*field;
};

// The fractions and shares, each 0..1, with the frei0r filter's names.
const ShareProperty kShares[] = {
    {PROP_LEFT, "left", "Left", "The start region's left edge, a fraction of the frame's width", &Properties::left},
    {PROP_RIGHT, "right", "Right", "The start region's right edge, a fraction of the frame's width", &Properties::right},
    {PROP_TOP, "top", "Top", "The start region's top edge, a fraction of the frame's height", &Properties::top},
    {PROP_BOTTOM, "bottom", "Bottom", "The start region's bottom edge, a fraction of the frame's height",
     &Properties::bottom},
    {PROP_ZOOM_IN, "zoom-in", "Zoom in",
     "The share of the clip spent zooming in from the whole frame to the region (1: half the clip)",
     &Properties::zoomIn},
    {PROP_ZOOM_OUT, "zoom-out", "Zoom out",
     "The share of the clip spent zooming back out to the whole frame at its end (1: half the clip)",
     &Properties::zoomOut},
    {PROP_OVERLAY, "overlay", "Overlay", "The opacity of the whole frame laid over the zoom", &Properties::overlay},
};

constexpr GParamFlags kFlags = static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS |
                                                         GST_PARAM_CONTROLLABLE | GST_PARAM_MUTABLE_PLAYING);

#define CAPS                                                                                              \
    "video/x-raw, format = (string) { RGBA, BGRA }, width = (int) [ 1, 32767 ], height = (int) [ 1, 32767 ], " \
    "framerate = (fraction) [ 0/1, MAX ]"

GstStaticPadTemplate kSinkTemplate = GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS(CAPS));
GstStaticPadTemplate kSourceTemplate = GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS(CAPS));

}  // namespace

// GObject allocates and zeroes the instance as C: the state's C++ members
// are built in place in init and destroyed in finalize, so that making an
// element allocates nothing more (and cannot throw into C).
struct _GstMorvaTelleZoom {
    GstVideoFilter parent;
    alignas(State) unsigned char state[sizeof(State)];
};
static_assert(alignof(State) <= alignof(std::max_align_t), "GLib's instances are aligned as malloc's blocks are");

G_DEFINE_TYPE(GstMorvaTelleZoom, gst_morva_telle_zoom, GST_TYPE_VIDEO_FILTER)

namespace {

State& StateOf(gpointer object) { return *std::launder(reinterpret_cast<State*>(GST_MORVA_TELLE_ZOOM(object)->state)); }

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* spec) {
    Properties& p = StateOf(object).properties;
    GST_OBJECT_LOCK(object);
    if (const auto* share = std::find_if(std::begin(kShares), std::end(kShares), [&](auto& s) { return s.id == id; });
        share != std::end(kShares)) {
        const double v = g_value_get_double(value);  // GLib holds it to the range, but lets NaN through
        if (std::isfinite(v)) p.*share->field = std::clamp(v, 0.0, 1.0);
    } else if (id == PROP_SMOOTH) {
        p.smooth = g_value_get_boolean(value);
    } else if (id == PROP_EASING) {
        p.easing = g_value_get_boolean(value);
    } else if (id == PROP_RECT) {
        const char* text = g_value_get_string(value);
        p.rect = text ? text : "";
    } else if (id == PROP_FRAMES) {
        p.frames = std::clamp<gint64>(g_value_get_int64(value), 0, mvgst::kLongestClip);
    } else {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
    GST_OBJECT_UNLOCK(object);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* spec) {
    const Properties& p = StateOf(object).properties;
    GST_OBJECT_LOCK(object);
    if (const auto* share = std::find_if(std::begin(kShares), std::end(kShares), [&](auto& s) { return s.id == id; });
        share != std::end(kShares))
        g_value_set_double(value, p.*share->field);
    else if (id == PROP_SMOOTH)
        g_value_set_boolean(value, p.smooth);
    else if (id == PROP_EASING)
        g_value_set_boolean(value, p.easing);
    else if (id == PROP_RECT)
        g_value_set_string(value, p.rect.c_str());
    else if (id == PROP_FRAMES)
        g_value_set_int64(value, p.frames);
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    GST_OBJECT_UNLOCK(object);
}

// A new segment (a seek, the next clip) asks for the stream's duration again.
gboolean SinkEvent(GstBaseTransform* trans, GstEvent* event) {
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT || GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
        Stream& stream = StateOf(trans).stream;
        stream.duration = GST_CLOCK_TIME_NONE;
        stream.nextFrame = 0;
    }
    return GST_BASE_TRANSFORM_CLASS(gst_morva_telle_zoom_parent_class)->sink_event(trans, event);
}

// Keyframed properties take their values at the frame's stream time: the
// clip's own time in GES, where an effect's keyframes are set in it.
void BeforeTransform(GstBaseTransform* trans, GstBuffer* buffer) {
    if (trans->segment.format != GST_FORMAT_TIME) return;
    const GstClockTime at = gst_segment_to_stream_time(&trans->segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    if (GST_CLOCK_TIME_IS_VALID(at)) gst_object_sync_values(GST_OBJECT(trans), at);
}

// The stream's length where the segment has no end, asked upstream once a
// segment, or at every frame until upstream knows it (a file still being
// read, a live source).
GstClockTime Duration(GstBaseTransform* trans) {
    Stream& stream = StateOf(trans).stream;
    if (GST_CLOCK_TIME_IS_VALID(trans->segment.stop)) return GST_CLOCK_TIME_NONE;
    if (!GST_CLOCK_TIME_IS_VALID(stream.duration)) {
        gint64 duration = -1;
        if (gst_pad_peer_query_duration(trans->sinkpad, GST_FORMAT_TIME, &duration) && duration >= 0)
            stream.duration = static_cast<GstClockTime>(duration);
    }
    return stream.duration;
}

gboolean SetInfo(GstVideoFilter* filter, GstCaps*, GstVideoInfo* in, GstCaps*, GstVideoInfo*) {
    Stream& stream = StateOf(filter).stream;
    const auto width = static_cast<unsigned>(GST_VIDEO_INFO_WIDTH(in));
    const auto height = static_cast<unsigned>(GST_VIDEO_INFO_HEIGHT(in));
    if (width != stream.width || height != stream.height) mvguest::DisposeImages(stream.images);
    stream.width = width;
    stream.height = height;
    return TRUE;
}

// A frame's pixels as rows of exactly its width, copied where the buffer
// pads them; none where there is no memory for the copy.
std::uint32_t* Packed(GstVideoFrame* frame, std::vector<std::uint32_t>& scratch, bool copyIn) {
    const int width = GST_VIDEO_FRAME_WIDTH(frame), height = GST_VIDEO_FRAME_HEIGHT(frame);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(frame, 0);
    auto* data = static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(frame, 0));
    if (stride == width * 4) return reinterpret_cast<std::uint32_t*>(data);
    try {
        scratch.resize(static_cast<std::size_t>(width) * height);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (copyIn)
        for (int y = 0; y < height; ++y)
            std::memcpy(&scratch[static_cast<std::size_t>(y) * width], data + static_cast<std::ptrdiff_t>(y) * stride,
                        static_cast<std::size_t>(width) * 4);
    return scratch.data();
}

void Unpack(GstVideoFrame* frame, const std::vector<std::uint32_t>& scratch, const std::uint32_t* rendered) {
    if (rendered != scratch.data()) return;
    const int width = GST_VIDEO_FRAME_WIDTH(frame), height = GST_VIDEO_FRAME_HEIGHT(frame);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(frame, 0);
    auto* data = static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(frame, 0));
    for (int y = 0; y < height; ++y)
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride, &scratch[static_cast<std::size_t>(y) * width],
                    static_cast<std::size_t>(width) * 4);
}

// What a frame is rendered with, read under the object lock.
struct Settings {
    pluginDataRec config;
    mvguest::Options options;
    gint64 frames;
};

Settings SettingsOf(GstVideoFilter* filter, const Properties& p, unsigned width, unsigned height) {
    Settings settings{};
    GST_OBJECT_LOCK(filter);
    const relRect start =
        mvguest::RegionOfText(p.rect, width, height).value_or(relRect{p.left, p.right, p.top, p.bottom});
    mvguest::SetGuestConfig(settings.config, start, p.zoomIn, p.zoomOut, p.overlay);
    settings.options = mvguest::Options{p.smooth, p.easing};
    settings.frames = p.frames;
    GST_OBJECT_UNLOCK(filter);
    return settings;
}

GstFlowReturn TransformFrame(GstVideoFilter* filter, GstVideoFrame* in, GstVideoFrame* out) {
    auto* trans = GST_BASE_TRANSFORM(filter);
    State& state = StateOf(filter);
    Stream& stream = state.stream;
    const unsigned width = GST_VIDEO_FRAME_WIDTH(in), height = GST_VIDEO_FRAME_HEIGHT(in);
    const Settings settings = SettingsOf(filter, state.properties, width, height);

    const mvgst::Span span = mvgst::SpanOf({&trans->segment, GST_BUFFER_PTS(in->buffer), Duration(trans),
                                            GST_VIDEO_INFO_FPS_N(&in->info), GST_VIDEO_INFO_FPS_D(&in->info),
                                            settings.frames, stream.nextFrame});
    stream.nextFrame = span.position + 1;
    GST_LOG_OBJECT(filter, "frame %" G_GINT64_FORMAT " of %" G_GINT64_FORMAT " at %" GST_TIME_FORMAT " in %" GST_SEGMENT_FORMAT,
                   span.position, span.length, GST_TIME_ARGS(GST_BUFFER_PTS(in->buffer)), &trans->segment);

    const std::uint32_t* source = Packed(in, stream.packedIn, true);
    std::uint32_t* target = Packed(out, stream.packedOut, false);
    if (!source || !target) return gst_video_frame_copy(out, in) ? GST_FLOW_OK : GST_FLOW_ERROR;  // no memory
    mvguest::RenderGuestFrame(settings.config, settings.options, span.position, span.length,
                              mvguest::Frame{width, height, source, target}, stream.images);
    Unpack(out, stream.packedOut, target);
    return GST_FLOW_OK;
}

// Stopped, the element keeps nothing of the stream (the rows' copies may be large).
gboolean Stop(GstBaseTransform* trans) {
    Stream& stream = StateOf(trans).stream;
    mvguest::DisposeImages(stream.images);
    stream = Stream{};
    return TRUE;
}

void Finalize(GObject* object) {
    State& state = StateOf(object);
    mvguest::DisposeImages(state.stream.images);
    state.~State();
    G_OBJECT_CLASS(gst_morva_telle_zoom_parent_class)->finalize(object);
}

void InstallProperties(GObjectClass* object) {
    const Properties defaults;
    for (const ShareProperty& s : kShares)
        g_object_class_install_property(
            object, s.id, g_param_spec_double(s.name, s.nick, s.blurb, 0, 1, defaults.*s.field, kFlags));
    g_object_class_install_property(
        object, PROP_SMOOTH,
        g_param_spec_boolean("smooth", "Smooth",
                             "Every frame resampled by a Lanczos-3 filter, the crop to fractions of a pixel: sharp, "
                             "and slow zooms glide; off, whole pixels enlarged as the effect's own render draws them",
                             defaults.smooth, kFlags));
    g_object_class_install_property(
        object, PROP_EASING,
        g_param_spec_boolean("easing", "Easing", "Each zoom eases in and out instead of running evenly",
                             defaults.easing, kFlags));
    g_object_class_install_property(
        object, PROP_RECT,
        g_param_spec_string("rect", "Rectangle",
                            "The start region as a rectangle x y w h, in pixels of the frame or in percent "
                            "(25% 25% 50% 50%); set, it stands for left, right, top and bottom",
                            "", kFlags));
    g_object_class_install_property(
        object, PROP_FRAMES,
        g_param_spec_int64("frames", "Frames",
                           "The clip's length in frames where the stream tells none (0: no course, the start region "
                           "is held)",
                           0, mvgst::kLongestClip, defaults.frames, kFlags));
}

}  // namespace

static void gst_morva_telle_zoom_class_init(GstMorvaTelleZoomClass* klass) {
    auto* object = G_OBJECT_CLASS(klass);
    auto* element = GST_ELEMENT_CLASS(klass);
    auto* trans = GST_BASE_TRANSFORM_CLASS(klass);
    auto* video = GST_VIDEO_FILTER_CLASS(klass);
    object->set_property = SetProperty;
    object->get_property = GetProperty;
    object->finalize = Finalize;
    InstallProperties(object);
    GST_DEBUG_CATEGORY_INIT(morvatellezoom_debug, "morvatellezoom", 0, "The Morva Telle zoom");

    gst_element_class_set_static_metadata(
        element, "Morva Telle zoom over each clip", "Filter/Effect/Video",
        "Zooms in from the whole frame to a region over the start of each clip as it stands, holds it, and zooms back "
        "out over its end: nothing to set but the region",
        "The Morva Telle developers <maintainers@users.noreply.c-seed-16ec4137.example>");
    gst_element_class_add_static_pad_template(element, &kSinkTemplate);
    gst_element_class_add_static_pad_template(element, &kSourceTemplate);

    trans->sink_event = SinkEvent;
    trans->before_transform = BeforeTransform;
    trans->stop = Stop;
    video->set_info = SetInfo;
    video->transform_frame = TransformFrame;
}

static void gst_morva_telle_zoom_init(GstMorvaTelleZoom* self) { new (self->state) State; }
