#include "gstreamer/ClipSpan.h"

#include <algorithm>

namespace mvgst {

namespace {

// Whole frames before `end`: a frame starting within a thousandth of a frame
// of it is not in, as nanosecond time stamps round frame times off.
std::int64_t FramesBefore(GstClockTime end, int rateN, int rateD) {
    const guint64 milli = gst_util_uint64_scale(end, static_cast<guint64>(rateN) * 1000,
                                                static_cast<guint64>(rateD) * GST_SECOND);
    return static_cast<std::int64_t>(std::min<guint64>(milli / 1000 + (milli % 1000 >= 2), kLongestClip));
}

GstClockTime ClipEnd(const StreamPlace& place) {
    const GstSegment& segment = *place.segment;
    if (GST_CLOCK_TIME_IS_VALID(segment.stop))
        return gst_segment_to_stream_time(&segment, GST_FORMAT_TIME, segment.stop);
    return place.duration;
}

}  // namespace

Span SpanOf(const StreamPlace& place) {
    const bool timed = place.rateN > 0 && place.rateD > 0 && place.segment->format == GST_FORMAT_TIME;
    Span span{place.nextFrame, std::min(place.frames, kLongestClip)};
    if (!timed) return span;
    if (const GstClockTime end = ClipEnd(place); GST_CLOCK_TIME_IS_VALID(end))
        span.length = FramesBefore(end, place.rateN, place.rateD);
    if (GST_CLOCK_TIME_IS_VALID(place.timestamp)) {
        const GstClockTime at = gst_segment_to_stream_time(place.segment, GST_FORMAT_TIME, place.timestamp);
        if (GST_CLOCK_TIME_IS_VALID(at))
            span.position = static_cast<std::int64_t>(
                std::min<guint64>(gst_util_uint64_scale_round(at, place.rateN, static_cast<guint64>(place.rateD) * GST_SECOND),
                                  kLongestClip));
    }
    if (span.length >= 1) span.position = std::min(span.position, span.length - 1);
    return span;
}

}  // namespace mvgst
