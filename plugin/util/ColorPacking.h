// Colours packed into one 32-bit value 0x00RRGGBB, and their conversions to
// pixels and to 16-bit colour components.
#pragma once

#include "MacTypes.h"

struct pixRec {
    UInt8 alpha;
    UInt8 red;
    UInt8 green;
    UInt8 blue;
};

// Bits 24 to 31 of a packed colour are ignored on reading and zero on writing.
pixRec LongInt2PixRec(SInt32 theLong);
SInt32 PixRec2LongInt(pixRec thePixRec);
// Keeps the high byte of each component.
SInt32 RGBColor2LongInt(RGBColor theColor);
// Each channel times 256: white comes back as 65280, not 65535.
RGBColor LongInt2RGBColor(SInt32 theLong);
