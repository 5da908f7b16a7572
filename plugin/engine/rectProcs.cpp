#include "engine/rectProcs.h"

#include <cmath>
#include <cstdint>

#include "quickdraw/QuickDraw.h"

namespace {

// Half-up rounding by truncation, as the proportion helpers have always done;
// the 16-bit coordinate keeps the low bits of whatever comes out.
SInt16 RoundedEdge(SInt16 origin, double length) {
    const double t = std::trunc(length + 0.5);
    const std::int64_t n = std::fabs(t) < 4e9 ? static_cast<std::int64_t>(t) : 0;
    return static_cast<SInt16>(static_cast<std::uint16_t>(origin + n));
}

}  // namespace

void GetDims(Rect theRect, SInt32& wid, SInt32& hig) {
    wid = SInt32{theRect.right} - theRect.left;
    hig = SInt32{theRect.bottom} - theRect.top;
}

RGBColor SetRGBColor(SInt16 r, SInt16 g, SInt16 b) {
    return RGBColor{static_cast<UInt16>(r), static_cast<UInt16>(g), static_cast<UInt16>(b)};
}

void CenterRectInRect(Rect& theRect, Rect theBounds) {
    SInt32 bWid, bHig, rWid, rHig;
    GetDims(theBounds, bWid, bHig);
    GetDims(theRect, rWid, rHig);
    const SInt32 cx = theBounds.left + bWid / 2, cy = theBounds.top + bHig / 2;
    const SInt32 rx = theRect.left + rWid / 2, ry = theRect.top + rHig / 2;
    OffsetRect(&theRect, static_cast<SInt16>(-(rx - cx)), static_cast<SInt16>(-(ry - cy)));
}

// An original without width has no proportions to keep; one without height
// keeps its flatness.
Rect KeepPropsWithFixedHorizontal(Rect inOriginal, Rect inNewSize) {
    SInt32 dX, dY, nX, nY;
    GetDims(inOriginal, dX, dY);
    GetDims(inNewSize, nX, nY);
    if (dX == 0) return inNewSize;
    double newY = 0.0;
    if (dY != 0) {
        const double prop = double(dX) / double(dY);
        newY = double(nX) / prop;
    }
    inNewSize.bottom = RoundedEdge(inNewSize.top, newY);
    return inNewSize;
}

Rect KeepPropsWithFixedVertical(Rect inOriginal, Rect inNewSize) {
    SInt32 dX, dY, nX, nY;
    GetDims(inOriginal, dX, dY);
    GetDims(inNewSize, nX, nY);
    if (dY == 0) return inNewSize;
    const double prop = double(dX) / double(dY);
    const double newX = double(nY) * prop;
    inNewSize.right = RoundedEdge(inNewSize.left, newX);
    return inNewSize;
}

// Chosen by orientation alone, so the result may overhang the frame in its
// other dimension; callers centre it.
Rect CalcProportionalRectForFrame(Rect inRect, Rect inFrame) {
    SInt32 iWid, iHig, wid, hig;
    GetDims(inRect, iWid, iHig);
    GetDims(inFrame, wid, hig);
    Rect imageBounds, theNewBounds;
    SetRect(&imageBounds, 0, 0, static_cast<SInt16>(iWid), static_cast<SInt16>(iHig));
    SetRect(&theNewBounds, 0, 0, static_cast<SInt16>(wid), static_cast<SInt16>(hig));
    if (wid > hig)
        return iWid > iHig ? KeepPropsWithFixedHorizontal(imageBounds, theNewBounds)
                           : KeepPropsWithFixedVertical(imageBounds, theNewBounds);
    return iHig > iWid ? KeepPropsWithFixedVertical(imageBounds, theNewBounds)
                       : KeepPropsWithFixedHorizontal(imageBounds, theNewBounds);
}

// Both axes are measured from the frame's corner, so a frame away from
// (0, 0) maps its own left edge to x = 0.
CGRect QDRectToGCRect(Rect theRect, Rect theFrame) {
    SInt32 portWid, portHig, rWid, rHig;
    GetDims(theFrame, portWid, portHig);
    GetDims(theRect, rWid, rHig);
    return CGRectMake(static_cast<CGFloat>(theRect.left - theFrame.left),
                      static_cast<CGFloat>(theFrame.top + portHig - theRect.bottom),
                      static_cast<CGFloat>(rWid), static_cast<CGFloat>(rHig));
}
