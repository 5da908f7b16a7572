#include "host/HostGlobals.h"

SInt32 gPascalInited = false;
pluginDataPtr gPascalData = nullptr;
SInt32 gMostRecentStartFrame = 0;
SInt32 gMostRecentFrameCount = 0;
