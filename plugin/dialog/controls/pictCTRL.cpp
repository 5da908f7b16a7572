#include "dialog/controls/pictCTRL.h"

#include <algorithm>
#include <vector>

#include "dialog/controls/controlEvents.h"
#include "engine/CGglue.h"
#include "engine/imageProcs.h"
#include "engine/rectProcs.h"
#include "toolkit/Controls.h"
#include "util/TextConversions.h"

namespace {

ToolboxObjectClassRef lgPictureControlClassRef = nullptr;
EventHandlerUPP lgMyHandlerUPP = nullptr;

// Every image handed over, numbered by its place here plus one.
std::vector<CGImageRef>& lgImages() {
    static std::vector<CGImageRef> images;
    return images;
}

void PictureDraw(ControlRef theControl, CGrafPtr thePort) {
    Rect bounds;
    GetControlBounds(theControl, &bounds);
    const UInt16 hilite = GetControlHilite(theControl);
    if (hilite == kControlInactivePart || hilite == kControlDisabledPart) return;
    const RGBColor white{65535, 65535, 65535}, black{0, 0, 0};
    RGBBackColor(&white);
    EraseRect(&bounds);
    if (CGImageRef image = PictureControlImage(GetControl32BitValue(theControl))) {
        Rect pictFrame = CalcProportionalImageForFrame(image, bounds);
        CenterRectInRect(pictFrame, bounds);
        DrawCGImageInQDRect(thePort, image, pictFrame, 0.0f, false);
    }
    RGBForeColor(&black);
    FrameRect(&bounds);
    if (hilite > 0) InvertRect(&bounds);
}

}  // namespace

void RegisterPictureControl() {
    const EventTypeSpec events[] = {{kEventClassControl, kEventControlDraw},
                                    {kEventClassControl, kEventControlHitTest},
                                    {kEventClassControl, kEventControlHit}};
    lgMyHandlerUPP = NewEventHandlerUPP(PictureControlHandler);
    CFStringRef classID = MakeCFStringOfC("com.qrv.vidkitfx.imageCTRL");
    if (RegisterToolboxObjectClass(classID, nullptr, 3, events, lgMyHandlerUPP, nullptr, &lgPictureControlClassRef) !=
        noErr)
        lgPictureControlClassRef = nullptr;
    CFRelease(classID);
}

void UnregisterPictureControl() {
    if (lgPictureControlClassRef) UnregisterToolboxObjectClass(lgPictureControlClassRef);
    lgPictureControlClassRef = nullptr;
    DisposeEventHandlerUPP(lgMyHandlerUPP);
    lgMyHandlerUPP = nullptr;
}

OSStatus PictureControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
    ControlRef theControl = EventControl(theEvent);
    switch (GetEventKind(theEvent)) {
    case kEventControlHitTest: WholeControlHitTest(theEvent, theControl); return noErr;
    case kEventControlDraw: {
        CGrafPtr savedPort;
        GDHandle savedDevice;
        GetGWorld(&savedPort, &savedDevice);
        WindowRef theWindow = GetControlOwner(theControl);
        SetPortWindowPort(theWindow);
        if (CGrafPtr thePort = GetWindowPort(theWindow)) PictureDraw(theControl, thePort);
        SetGWorld(savedPort, savedDevice);
        return noErr;
    }
    case kEventControlHit: GetControl32BitValue(theControl); return eventNotHandledErr;
    default: return eventNotHandledErr;
    }
}

SInt32 PictureControlValue(CGImageRef theImage) {
    if (!theImage) return 0;
    auto& images = lgImages();
    auto at = std::find(images.begin(), images.end(), theImage);
    if (at == images.end()) at = images.insert(images.end(), theImage);
    return static_cast<SInt32>(at - images.begin()) + 1;
}

CGImageRef PictureControlImage(SInt32 theValue) {
    const auto& images = lgImages();
    return theValue > 0 && static_cast<std::size_t>(theValue) <= images.size() ? images[theValue - 1] : nullptr;
}
