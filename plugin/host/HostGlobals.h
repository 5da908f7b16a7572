// State of the host-facing shell that outlives a single call: whether the
// effect logic is initialised, the working record, and where the last
// rendered frame came from (the custom button fetches its frame from there).
#pragma once

#include "config/PluginDefines.h"

// 32 bits wide, as the effect logic has always kept it.
extern SInt32 gPascalInited;
// Allocated through the host on the first call; never freed.
extern pluginDataPtr gPascalData;
extern SInt32 gMostRecentStartFrame;
extern SInt32 gMostRecentFrameCount;
