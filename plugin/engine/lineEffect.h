// The zoom renderer: the crop of the source scaled over the whole
// destination, with the unzoomed source laid over it; and the regeneration
// of a configuration's rendered picture.
#pragma once

#include "MacTypes.h"
#include "config/PluginDefines.h"
#include "quickdraw/QuickDraw.h"

// Clamps each coordinate on its own axis; nothing is reordered.
void CheckRect(Rect& theRect, Rect theBounds);
// copyRest, currFrame and maxFrame do not change the output.
void TheLineEffect(GWorldPtr source, GWorldPtr dest, Rect activeRect, Boolean copyRest,
                   pluginDataPtr theConfig, SInt32 currFrame, SInt32 maxFrame);
// The third slider, in percent, lays the unzoomed source over the zoom; a
// source whose image cannot be had is fatal.
void OverlaySource(GWorldPtr source, GWorldPtr dest, Rect targetRect, SInt16 percent);
// The same, answering false instead where the source's image cannot be had.
Boolean LayOverSource(GWorldPtr source, GWorldPtr dest, Rect targetRect, SInt16 percent);
void RenderLineArt(pluginDataPtr theConfig);
