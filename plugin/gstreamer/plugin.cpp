// The GStreamer plug-in "morvatelle": one element, morvatellezoom.
#include <gst/gst.h>

#include "gstreamer/gstmorvatellezoom.h"

namespace {

gboolean PluginInit(GstPlugin* plugin) {
    return gst_element_register(plugin, "morvatellezoom", GST_RANK_NONE, GST_TYPE_MORVA_TELLE_ZOOM);
}

}  // namespace

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, morvatelle, "The Morva Telle zoom", PluginInit, MV_VERSION,
                  "unknown", "morvatelle", "Unknown package origin")
