// Whether windows can be shown here, asked of the display itself before any
// application object is made (Qt's own failure to connect ends the process).
#pragma once

#include <string>

#include "MacTypes.h"

// Of the platforms Qt will try (QT_QPA_PLATFORM, or its own choice), one
// that works: an X server that accepts a connection (DISPLAY), or a Wayland
// compositor that answers on its socket (WAYLAND_DISPLAY) with Qt's Wayland
// platform installed; each connected to, then let go. Qt's platforms without
// a screen (offscreen, minimal) count only where `screenless` allows them;
// others (a framebuffer, VNC) are Qt's to judge. Otherwise `why` says, in a
// few words, what is missing.
MV_API bool MVDisplayUsable(bool screenless, std::string& why);
