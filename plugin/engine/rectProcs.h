// Rectangle and colour helpers shared by the engine and the dialog:
// dimensions, centring, proportional fitting and the flip into the
// drawing interface's bottom-left coordinates.
#pragma once

#include "MacTypes.h"
#include "quartz/CoreGraphics.h"

void GetDims(Rect theRect, SInt32& wid, SInt32& hig);
// -1 gives 65535 in a channel, as the unsigned channel takes the bits.
RGBColor SetRGBColor(SInt16 r, SInt16 g, SInt16 b);
void CenterRectInRect(Rect& theRect, Rect theBounds);
// Keep the width of inNewSize and recompute its bottom for the proportions of
// inOriginal; the other keeps the height and recomputes the right.
Rect KeepPropsWithFixedHorizontal(Rect inOriginal, Rect inNewSize);
Rect KeepPropsWithFixedVertical(Rect inOriginal, Rect inNewSize);
Rect CalcProportionalRectForFrame(Rect inRect, Rect inFrame);
CGRect QDRectToGCRect(Rect theRect, Rect theFrame);
