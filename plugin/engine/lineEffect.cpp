#include "engine/lineEffect.h"

#include <memory>

#include "engine/CGglue.h"
#include "engine/imageProcs.h"
#include "engine/rectProcs.h"
#include "util/Diagnostics.h"

void CheckRect(Rect& theRect, Rect theBounds) {
    if (theRect.left < theBounds.left) theRect.left = theBounds.left;
    if (theRect.right < theBounds.left) theRect.right = theBounds.left;
    if (theRect.left > theBounds.right) theRect.left = theBounds.right;
    if (theRect.right > theBounds.right) theRect.right = theBounds.right;
    if (theRect.top < theBounds.top) theRect.top = theBounds.top;
    if (theRect.bottom < theBounds.top) theRect.bottom = theBounds.top;
    if (theRect.top > theBounds.bottom) theRect.top = theBounds.bottom;
    if (theRect.bottom > theBounds.bottom) theRect.bottom = theBounds.bottom;
}

Boolean LayOverSource(GWorldPtr source, GWorldPtr dest, Rect targetRect, SInt16 percent) {
    // Released however the drawing ends: a guest's assertion unwinds through it.
    const std::unique_ptr<CGImage, decltype(&CGImageRelease)> theImage(GWorld2CGImage(source), CGImageRelease);
    if (!theImage) return false;
    DrawCGImageInQDRectWithAlpha(dest, theImage.get(), targetRect, 0.0f, false, percent / 100.0, 0);
    return true;
}

void OverlaySource(GWorldPtr source, GWorldPtr dest, Rect targetRect, SInt16 percent) {
    if (!LayOverSource(source, dest, targetRect, percent))
        Assert(nullptr, "Cannot allocate CG image from source in theLineEffect");
}

void TheLineEffect(GWorldPtr source, GWorldPtr dest, Rect activeRect, Boolean, pluginDataPtr theConfig,
                   SInt32, SInt32) {
    CGrafPtr savePort;
    GDHandle saveDevice;
    GetGWorld(&savePort, &saveDevice);
    SetGWorld(dest, nullptr);

    const Rect targetRect = GetPortRect(dest);
    CheckRect(activeRect, GetPortRect(source));
    // Black on white: CopyBits passes the pixels through uncoloured.
    const RGBColor white = SetRGBColor(-1, -1, -1), black = SetRGBColor(0, 0, 0);
    RGBBackColor(&white);
    RGBForeColor(&black);
    CopyBits(GetPortBitMapForCopyBits(source), GetPortBitMapForCopyBits(dest), &activeRect,
             &targetRect, srcCopy, nullptr);

    const SInt16 overlay = theConfig->sliders[2];
    if (overlay > 0) OverlaySource(source, dest, targetRect, overlay);

    SetGWorld(savePort, saveDevice);
}

void RenderLineArt(pluginDataPtr theConfig) {
    Assert(theConfig, "nil config on RenderLineArt");
    if (theConfig->theRendered) {
        CGImageRelease(theConfig->theRendered);
        theConfig->theRendered = nullptr;
    }
    if (!theConfig->theOriginalImage) return;

    SInt32 wid, hig;
    GetImageDims(theConfig->theOriginalImage, wid, hig);
    Rect theRect;
    SetRect(&theRect, 0, 0, static_cast<SInt16>(wid), static_cast<SInt16>(hig));
    GWorldPtr theGW = AllocateRectGWorld(theRect);
    if (!theGW) return;  // no memory: the picture stays empty, as for no original
    DrawCGImageInQDRect(theGW, theConfig->theOriginalImage, theRect, 0.0f, true);
    theConfig->theRendered = GWorld2CGImage(theGW);
    DisposeGWorld(theGW);
}
