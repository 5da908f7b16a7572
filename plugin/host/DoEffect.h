// The effect logic's render entry point: one frame of the host's clip through
// the zoom engine.
#pragma once

#include "MacTypes.h"
#include "config/PluginDefines.h"
#include "hyplugin/HYPlugin.h"
#include "quickdraw/QuickDraw.h"

MV_EXTERN_C_BEGIN

// Renders theSource into theTarget at currentFrameIndex of totalFrames. The
// fades, the host's slider values and opacity are taken and left alone: the
// render run fades, and the host's sliders do not touch the picture.
MV_API void DoEffect(pluginDataPtr myConfig, HYPluginParams* params, GWorldPtr theSource,
                     GWorldPtr theTarget, SInt32 currentFrameIndex, SInt32 fadeInFrames,
                     SInt32 fadeOutFrames, SInt32 totalFrames, double S1, double S2, double S3,
                     SInt16* opacity);

MV_EXTERN_C_END
