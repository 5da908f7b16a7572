// Windows from the bundle's interface files: a window comes back, or the
// plug-in stops.
#pragma once

#include "toolkit/MacWindows.h"

// An empty theNib opens the plug-in's own interface file.
WindowRef OpenNibWindowFromCFBundle(const char* theIdentifier, const char* theNib, const char* theWindow);
