#include "dialog/controls/dlgUtils.h"

#include "config/DataHandling.h"
#include "config/PluginDefines.h"
#include "engine/rectProcs.h"
#include "engine/relRects.h"
#include "toolkit/Controls.h"

namespace {

const RGBColor kBlack{0, 0, 0};
const RGBColor kWhite{65535, 65535, 65535};

// The corners in the order they are tried and drawn.
void Corners(const Rect& r, Point corners[4]) {
    corners[0] = Point{r.top, r.left};
    corners[1] = Point{r.top, r.right};
    corners[2] = Point{r.bottom, r.left};
    corners[3] = Point{r.bottom, r.right};
}

Rect HandleSquare(Point corner) {
    Rect square;
    SetRect(&square, corner.h, corner.v, corner.h, corner.v);
    InsetRect(&square, -cHandleSize, -cHandleSize);
    return square;
}

}  // namespace

SInt16 IsHandleHit(Rect theRect, Point theLoc) {
    Point corners[4];
    Corners(theRect, corners);
    for (SInt16 i = 0; i < 4; ++i) {
        const Rect square = HandleSquare(corners[i]);
        if (PtInRect(theLoc, &square)) return static_cast<SInt16>(i + 1);
    }
    return PtInRect(theLoc, &theRect) ? 5 : 0;
}

void DrawHandles(Rect theRect) {
    PenMode(srcOr);
    Point corners[4];
    Corners(theRect, corners);
    for (const Point corner : corners) {
        Rect square = HandleSquare(corner);
        RGBForeColor(&kBlack);
        FrameOval(&square);
        InsetRect(&square, 1, 1);
        RGBForeColor(&kWhite);
        FrameOval(&square);
        InsetRect(&square, 1, 1);
        RGBForeColor(&kBlack);
        FrameOval(&square);
    }
    PenNormal();
}

void DrawFrameContents(WindowRef theWindow, Rect destRect) {
    CGrafPtr theGW = GetWindowPort(theWindow);
    Rect sourceRect;
    GetPortBounds(gConfigWorkSpace.theFXClip, &sourceRect);
    RGBBackColor(&kWhite);
    RGBForeColor(&kBlack);
    CopyBits(GetPortBitMapForCopyBits(gConfigWorkSpace.theFXClip), GetPortBitMapForCopyBits(theGW), &sourceRect,
             &destRect, srcCopy, nullptr);

    Rect thePortRect;
    GetPortBounds(theGW, &thePortRect);
    ClipRect(&destRect);
    RGBForeColor(&gConfigWorkSpace.theConfig->frameStartColor);
    const Rect theFrame = Rel2Rect(gConfigWorkSpace.theConfig->startRel, destRect);
    FrameRect(&theFrame);
    if (gConfigWorkSpace.activeRel == 1) DrawHandles(theFrame);

    ClipRect(&thePortRect);
    RGBForeColor(&kBlack);
    FrameRect(&destRect);
}

void DragRect(Rect& theRect, Point oldLoc, Point newLoc) {
    OffsetRect(&theRect, static_cast<SInt16>(newLoc.h - oldLoc.h), static_cast<SInt16>(newLoc.v - oldLoc.v));
}

void DragCorner(SInt16 theHandle, Rect& theRect, Point oldLoc, Point newLoc, UInt32 modifiers, Rect theFrame,
                relRect origRel) {
    Point moving, fixed;
    switch (theHandle) {
    case 1: moving = {theRect.top, theRect.left}, fixed = {theRect.bottom, theRect.right}; break;
    case 2: moving = {theRect.top, theRect.right}, fixed = {theRect.bottom, theRect.left}; break;
    case 3: moving = {theRect.bottom, theRect.left}, fixed = {theRect.top, theRect.right}; break;
    case 4: moving = {theRect.bottom, theRect.right}, fixed = {theRect.top, theRect.left}; break;
    default: return;
    }
    const SInt16 dx = static_cast<SInt16>(newLoc.h - oldLoc.h), dy = static_cast<SInt16>(newLoc.v - oldLoc.v);
    moving.h = static_cast<SInt16>(moving.h + dx);
    moving.v = static_cast<SInt16>(moving.v + dy);
    if (modifiers & OptionMask) {
        fixed.h = static_cast<SInt16>(fixed.h - dx);
        fixed.v = static_cast<SInt16>(fixed.v - dy);
    }
    Pt2Rect(moving, fixed, &theRect);
    if (modifiers & ShiftMask) {
        const Rect propRect = Rel2Rect(origRel, theFrame);
        SInt32 wid, hig;
        GetDims(propRect, wid, hig);
        theRect = wid > hig ? KeepPropsWithFixedHorizontal(propRect, theRect) : KeepPropsWithFixedVertical(propRect, theRect);
    }
    KeepImageProps(theRect);
}

void KeepImageProps(Rect& theRect) {
    if (!gConfigWorkSpace.theConfig->keepProps) return;
    Rect bounds;
    GetControlBounds(gConfigWorkSpace.theFrameCtrl, &bounds);
    SInt32 wid, hig;
    GetDims(bounds, wid, hig);
    Rect propRect;
    SetRect(&propRect, 0, 0, static_cast<SInt16>(wid), static_cast<SInt16>(hig));
    theRect = wid > hig ? KeepPropsWithFixedHorizontal(propRect, theRect) : KeepPropsWithFixedVertical(propRect, theRect);
}

void CalcAndKeepImageProps() {
    const relRect rel = GetCurrentRel();
    Rect frame;
    GetControlBounds(gConfigWorkSpace.theFrameCtrl, &frame);
    Rect r = Rel2Rect(rel, frame);
    KeepImageProps(r);
    PutCurrentRel(Rect2Rel(r, frame));
}
