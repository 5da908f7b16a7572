// Windows from the bundle's interface files: a window comes back, or the
// plug-in stops.
#pragma once

#include "toolkit/MacWindows.h"

// The status a window that cannot be made ends the process with: the
// error's low byte, or 1 where that is 0, which the shell would take for success.
int WindowFailureStatus(OSStatus err);

// An empty theNib opens the plug-in's own interface file.
WindowRef OpenNibWindowFromCFBundle(const char* theIdentifier, const char* theNib, const char* theWindow);
