// The Morva Telle zoom as a GStreamer element, morvatellezoom: a video
// filter that runs the course over the clip it is handed, rendered by the
// effect's own engine.
#pragma once

#include <gst/video/gstvideofilter.h>

G_BEGIN_DECLS

#define GST_TYPE_MORVA_TELLE_ZOOM (gst_morva_telle_zoom_get_type())
G_DECLARE_FINAL_TYPE(GstMorvaTelleZoom, gst_morva_telle_zoom, GST, MORVA_TELLE_ZOOM, GstVideoFilter)

G_END_DECLS
