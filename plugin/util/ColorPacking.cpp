#include "util/ColorPacking.h"

namespace {

UInt8 Channel(SInt32 theLong, int shift) { return static_cast<UInt8>((static_cast<UInt32>(theLong) >> shift) & 255); }

}  // namespace

pixRec LongInt2PixRec(SInt32 theLong) {
    return pixRec{0, Channel(theLong, 16), Channel(theLong, 8), Channel(theLong, 0)};
}

SInt32 PixRec2LongInt(pixRec thePixRec) {
    return thePixRec.red * 65536 + thePixRec.green * 256 + thePixRec.blue;
}

SInt32 RGBColor2LongInt(RGBColor theColor) {
    return (theColor.red / 256) * 65536 + (theColor.green / 256) * 256 + theColor.blue / 256;
}

RGBColor LongInt2RGBColor(SInt32 theLong) {
    return RGBColor{static_cast<UInt16>(Channel(theLong, 16) * 256), static_cast<UInt16>(Channel(theLong, 8) * 256),
                    static_cast<UInt16>(Channel(theLong, 0) * 256)};
}
