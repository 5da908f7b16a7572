// The port record behind GrafPtr, shared by the platform's own services
// (bit transfer, contexts on ports, window ports).
#pragma once

#include <cstddef>

#include "quickdraw/QuickDraw.h"

// A PixMapHandle points at pixMapPtr; the lock state travels with it.
struct MVPixMapSlot {
    PixMapPtr pixMapPtr;
    GWorldFlags state;
};

struct OpaqueGrafPtr {
    PixMap pixMap;
    MVPixMapSlot slot;
    BitMap portBits;  // mirrors pixMap for CopyBits
    Rect portRect;
    RGBColor fgColor;
    RGBColor bkColor;
    Point pnLoc;
    Point pnSize;
    SInt16 pnMode;
    Rect clipRect;
    GDHandle device;
    void* pixels;  // owned; null for a port on someone else's pixels
    std::size_t pixelBytes;
};

// The port a pixel map handle belongs to, or null.
GrafPtr MVPortOfPixMap(PixMapHandle pm);
