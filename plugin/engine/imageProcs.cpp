#include "engine/imageProcs.h"

#include "engine/rectProcs.h"
#include "util/Diagnostics.h"

Rect GetPortRect(GrafPtr thePort) {
    Rect r;
    GetPortBounds(thePort, &r);
    return r;
}

// The creation status is not needed: a failed NewGWorld leaves the world null.
GWorldPtr AllocateRectGWorld(Rect theRect) {
    OffsetRect(&theRect, static_cast<SInt16>(-theRect.left), static_cast<SInt16>(-theRect.top));
    GWorldPtr theGW = nullptr;
    NewGWorld(&theGW, 32, &theRect, nullptr, nullptr, 0);
    LockGWorld(theGW);
    return theGW;
}

void LockGWorld(GWorldPtr theGW) {
    if (theGW) LockPixels(GetGWorldPixMap(theGW));
}

CGImageRef GWorld2CGImage(GWorldPtr theGW) {
    PixMapHandle pm = GetGWorldPixMap(theGW);
    SInt32 wid, hig;
    GetDims(GetPortRect(theGW), wid, hig);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef context =
        CGBitmapContextCreate(GetPixBaseAddr(pm), size_t(wid), size_t(hig), 8,
                              size_t(GetPixRowBytes(pm)), space, kCGImageAlphaPremultipliedFirst);
    CGColorSpaceRelease(space);  // the context holds its own; released first, as the assertion may unwind
    Assert(context, "Failed to create s CGContext on GWorld2CGImage");
    CGImageRef theImage = CGBitmapContextCreateImage(context);
    CGContextRelease(context);
    return theImage;
}

void GetImageDims(CGImageRef theImage, SInt32& wid, SInt32& hig) {
    wid = static_cast<SInt32>(CGImageGetWidth(theImage));
    hig = static_cast<SInt32>(CGImageGetHeight(theImage));
}

Rect CalcProportionalImageForFrame(CGImageRef theImage, Rect theFrame) {
    Rect imageRect;
    SetRect(&imageRect, 0, 0, static_cast<SInt16>(CGImageGetWidth(theImage)),
            static_cast<SInt16>(CGImageGetHeight(theImage)));
    return CalcProportionalRectForFrame(imageRect, theFrame);
}
