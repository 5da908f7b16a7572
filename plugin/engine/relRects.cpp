#include "engine/relRects.h"

#include <cmath>

namespace {

// Truncates a product toward zero as a 32-bit conversion does; a product that
// is NaN or outside the 32-bit range gives 0x80000000, as both processors the
// settings file has travelled between would, instead of undefined behaviour.
SInt32 TruncProduct(double product) {
    if (!(product > -2147483649.0 && product < 2147483648.0)) return INT32_MIN;
    return static_cast<SInt32>(product);
}

// Coordinates keep the low 16 bits of the sum, with no clamping.
SInt16 Low16(SInt32 value) { return static_cast<SInt16>(static_cast<UInt16>(static_cast<UInt32>(value) & 0xFFFF)); }

SInt16 EdgeOf(SInt16 extent, double fraction, SInt16 origin) {
    double product = static_cast<double>(extent) * fraction;
    return Low16(static_cast<SInt32>(static_cast<UInt32>(TruncProduct(product)) + static_cast<UInt32>(origin)));
}

}  // namespace

void InitRelRect(relRect& theRel) { theRel = relRect{0.0, 1.0, 0.0, 1.0}; }

Rect Rel2Rect(relRect theRel, Rect theFrame) {
    SInt16 wid = static_cast<SInt16>(theFrame.right - theFrame.left);
    SInt16 hig = static_cast<SInt16>(theFrame.bottom - theFrame.top);
    Rect result;
    result.left = EdgeOf(wid, theRel.left, theFrame.left);
    result.right = EdgeOf(wid, theRel.right, theFrame.left);
    result.top = EdgeOf(hig, theRel.top, theFrame.top);
    result.bottom = EdgeOf(hig, theRel.bottom, theFrame.top);
    return result;
}

// An empty frame has no fractions to give: every field is 0 rather than the
// infinities or NaN a division by zero would spread into the record.
relRect Rect2Rel(Rect theRect, Rect theFrame) {
    SInt16 wid = static_cast<SInt16>(theFrame.right - theFrame.left);
    SInt16 hig = static_cast<SInt16>(theFrame.bottom - theFrame.top);
    // The moved rectangle is a Rect again, so its coordinates wrap to 16 bits.
    double left = static_cast<SInt16>(theRect.left - theFrame.left);
    double right = static_cast<SInt16>(theRect.right - theFrame.left);
    double top = static_cast<SInt16>(theRect.top - theFrame.top);
    double bottom = static_cast<SInt16>(theRect.bottom - theFrame.top);
    relRect result{0.0, 0.0, 0.0, 0.0};
    if (wid != 0) {
        result.left = left / wid;
        result.right = right / wid;
    }
    if (hig != 0) {
        result.top = top / hig;
        result.bottom = bottom / hig;
    }
    return result;
}
