// Offscreen buffers and image copies: allocation, locking, the port
// rectangle and the dimensions of images.
#pragma once

#include "MacTypes.h"
#include "quartz/CoreGraphics.h"
#include "quickdraw/QuickDraw.h"

Rect GetPortRect(GrafPtr thePort);
// A locked 32-bit buffer of theRect's size at (0, 0); null when the memory is
// not there.
GWorldPtr AllocateRectGWorld(Rect theRect);
void LockGWorld(GWorldPtr theGW);
// An immutable copy of the whole buffer; the caller releases it.
CGImageRef GWorld2CGImage(GWorldPtr theGW);
void GetImageDims(CGImageRef theImage, SInt32& wid, SInt32& hig);
Rect CalcProportionalImageForFrame(CGImageRef theImage, Rect theFrame);
