// Drawing images into contexts and offscreen buffers, optionally rotated,
// cleared first, with opacity and blend mode.
#pragma once

#include "MacTypes.h"
#include "quartz/CoreGraphics.h"
#include "quickdraw/QuickDraw.h"

// Rotation is about the centre of targetRect, counter-clockwise (y-up).
void DrawRotatedImageInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect,
                              float theRadiants, Boolean clearFirst);
// Both draw nothing when theImage is null.
void DrawCGImageInQDRect(GWorldPtr theGW, CGImageRef theImage, Rect qdTargetRect,
                         float theRadiants, Boolean clearFirst);
// A negative alpha keeps full opacity; blendMode 0 is normal (source-over).
void DrawCGImageInQDRectWithAlpha(GWorldPtr theGW, CGImageRef theImage, Rect qdTargetRect,
                                  float theRadiants, Boolean clearFirst, double alpha,
                                  SInt16 blendMode);
