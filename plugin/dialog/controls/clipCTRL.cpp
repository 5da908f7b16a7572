#include "dialog/controls/clipCTRL.h"

#include "config/DataHandling.h"
#include "config/PluginDefines.h"
#include "dialog/controls/controlEvents.h"
#include "dialog/controls/dlgUtils.h"
#include "engine/callPixelFX.h"
#include "engine/relRects.h"
#include "toolkit/Controls.h"
#include "util/TextConversions.h"

namespace {

ToolboxObjectClassRef lgClipCtrlClassRef1 = nullptr;
EventHandlerUPP lgMyHandlerUPP = nullptr;

void ClipHitTest(EventRef theEvent, ControlRef theControl) {
    const Point mouseLocation = EventMouseLocation(theEvent);
    Rect bounds;
    GetControlBounds(theControl, &bounds);
    ControlPartCode part = kControlNoPart;
    if (PtInRect(mouseLocation, &bounds)) {
        const Rect testRect = Rel2Rect(gConfigWorkSpace.theConfig->startRel, bounds);
        part = IsHandleHit(testRect, mouseLocation);
    }
    SetEventPart(theEvent, part);
}

void ClipDraw(ControlRef theControl) {
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    WindowRef theWindow = GetControlOwner(theControl);
    SetPortWindowPort(theWindow);
    Rect bounds;
    GetControlBounds(theControl, &bounds);
    const UInt16 hilite = GetControlHilite(theControl);
    if (hilite != kControlInactivePart && hilite != kControlDisabledPart) DrawFrameContents(theWindow, bounds);
    SetGWorld(savedPort, savedDevice);
}

// One step of a drag that moved the rectangle: stored, rendered, shown.
void ShowStep(const Rect& testRect, const Rect& bounds, WindowRef theWindow) {
    PutCurrentRel(Rect2Rel(testRect, bounds));
    CallPixelEffect(gConfigWorkSpace.sourceClip, gConfigWorkSpace.theFXClip);
    DrawFrameContents(theWindow, bounds);
}

void ClipTrack(EventRef theEvent, ControlRef theControl) {
    Point mouseLocation = EventMouseLocation(theEvent);
    UInt32 modifierKeys = 0;
    GetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifierKeys, nullptr,
                      &modifierKeys);
    Rect bounds;
    GetControlBounds(theControl, &bounds);
    ClipRect(&bounds);
    WindowRef theWindow = GetControlOwner(theControl);

    Rect testRect = Rel2Rect(gConfigWorkSpace.theConfig->startRel, bounds);
    const relRect origRel = GetCurrentRel();
    const Rect origRect = testRect;
    const SInt16 whatPart = IsHandleHit(testRect, mouseLocation);

    MouseTrackingResult trackingResult = kMouseTrackingMouseDown;
    Point newLoc = mouseLocation;
    while (trackingResult != kMouseTrackingMouseUp) {
        if (trackingResult == kMouseTrackingMouseDragged && PtInRect(newLoc, &bounds)) {
            if (whatPart >= 1 && whatPart <= 4) {
                testRect = origRect;
                DragCorner(whatPart, testRect, mouseLocation, newLoc, modifierKeys, bounds, origRel);
                ShowStep(testRect, bounds, theWindow);
            } else if (whatPart == 5) {
                DragRect(testRect, mouseLocation, newLoc);
                mouseLocation = newLoc;
                ShowStep(testRect, bounds, theWindow);
            }
        }
        TrackMouseLocation(nullptr, &newLoc, &trackingResult);
    }
}

}  // namespace

void RegisterClipCtrl() {
    const EventTypeSpec events[] = {{kEventClassControl, kEventControlDraw},
                                    {kEventClassControl, kEventControlHitTest},
                                    {kEventClassControl, kEventControlHit},
                                    {kEventClassControl, kEventControlActivate},
                                    {kEventClassControl, kEventControlOwningWindowChanged},
                                    {kEventClassControl, kEventControlTrack}};
    lgMyHandlerUPP = NewEventHandlerUPP(ClipCtrlControlHandler);
    CFStringRef classID = MakeCFStringOfC("com.qrv.vidkitfx.clip");
    RegisterToolboxObjectClass(classID, nullptr, 6, events, lgMyHandlerUPP, nullptr, &lgClipCtrlClassRef1);
    CFRelease(classID);
}

void UnregisterClipCtrl() {
    UnregisterToolboxObjectClass(lgClipCtrlClassRef1);
    lgClipCtrlClassRef1 = nullptr;
    DisposeEventHandlerUPP(lgMyHandlerUPP);
    lgMyHandlerUPP = nullptr;
}

OSStatus ClipCtrlControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
    ControlRef theControl = EventControl(theEvent);
    switch (GetEventKind(theEvent)) {
    case kEventControlHitTest: ClipHitTest(theEvent, theControl); break;
    case kEventControlDraw:
    case kEventControlActivate:
    case kEventControlOwningWindowChanged: ClipDraw(theControl); break;
    case kEventControlTrack: ClipTrack(theEvent, theControl); break;
    case kEventControlHit: GetControl32BitValue(theControl); break;
    default: return eventNotHandledErr;
    }
    // A drag's clip goes with it.
    Rect whole;
    GetPortBounds(GetWindowPort(GetControlOwner(theControl)), &whole);
    ClipRect(&whole);
    return noErr;
}
