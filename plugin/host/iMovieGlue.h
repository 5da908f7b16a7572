// Frames of the host's clip for the configuration dialog.
#pragma once

#include "MacTypes.h"
#include "hyplugin/HYPlugin.h"
#include "quickdraw/QuickDraw.h"

// Proxy renders of small frames are fetched fast rather than well.
HYRefDVQuality FrameQuality(const HYPluginParams* params, SInt32 height);

// Fetches frame frameIndex (counted from params->startFrame) at theGW's size
// and copies it into theGW. The host's result, or -1 for a frame before the
// clip. disposeAfterUse is accepted for the dialog's sake; the host's frame is
// the host's and is only given back, never disposed of here.
SInt16 GetFrameIntoGW(GWorldPtr theGW, HYPluginParams* params, SInt32 frameIndex, SInt16 disposeAfterUse);
