// Whether windows can be shown here, asked of the display itself before any
// application object is made (Qt's own failure to connect ends the process).
#pragma once

#include <string>

#include "MacTypes.h"

// An X server that accepts a connection (DISPLAY), or a Wayland compositor
// that answers on its socket (WAYLAND_DISPLAY); connected to, then let go.
// Qt's platforms without a screen (QT_QPA_PLATFORM offscreen or minimal)
// count only where `screenless` allows them. Otherwise `why` says, in a few
// words, what is missing.
MV_API bool MVDisplayUsable(bool screenless, std::string& why);
