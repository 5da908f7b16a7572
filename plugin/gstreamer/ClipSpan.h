// Where a frame stands in the clip GStreamer hands the element, in frames.
//
// A buffer's place is its stream time: in a plain pipeline the time from
// the stream's start, in GES the time from the clip's in-point (GES plays a
// clip as a segment from the in-point with stream time 0, and a seek into
// the clip moves the segment's start and time together). The clip ends at
// the stream time of the segment's stop; a segment without one (a file
// played whole) ends at the stream's duration, where upstream knows it;
// else the element's own length in frames is all there is.
#pragma once

#include <gst/gst.h>

#include <cstdint>

#include "guest/GuestRender.h"

namespace mvgst {

using mvguest::kLongestClip;

struct Span {
    std::int64_t position;  // the frame's place in the clip, 0 at its first frame
    std::int64_t length;    // the clip's frames; 0 for unknown (no course, the start region is held)
};

struct StreamPlace {
    const GstSegment* segment;  // a time segment
    GstClockTime timestamp;     // the buffer's; GST_CLOCK_TIME_NONE for none
    GstClockTime duration;      // the stream's, from a query; GST_CLOCK_TIME_NONE for unknown
    int rateN, rateD;           // frames a second; 0/1 for a variable rate
    std::int64_t frames;        // the element's own length, 0 for not given
    std::int64_t nextFrame;     // the frame after the one rendered last
};

// A frame without a usable time (none, a variable rate) goes after the one
// rendered last. A position past the clip's end is its last frame.
Span SpanOf(const StreamPlace& place);

}  // namespace mvgst
