#include "dialog/controls/colorCTRL.h"

#include <cstring>

#include "dialog/controls/controlEvents.h"
#include "toolkit/ColorPicker.h"
#include "toolkit/Controls.h"
#include "util/ColorPacking.h"
#include "util/PascalStrings.h"
#include "util/TextConversions.h"

namespace {

ToolboxObjectClassRef lgColorBoxClassRef = nullptr;
EventHandlerUPP lgMyHandlerUPP = nullptr;

void ColorBoxDrawEvent(ControlRef theControl) {
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    SetPortWindowPort(GetControlOwner(theControl));
    Rect bounds;
    GetControlBounds(theControl, &bounds);
    const UInt16 hilite = GetControlHilite(theControl);
    if (hilite == kControlInactivePart || hilite == kControlDisabledPart) EraseRect(&bounds);
    else ColorBoxDraw(bounds, LongInt2RGBColor(GetControl32BitValue(theControl)));
    SetGWorld(savedPort, savedDevice);
}

void ColorBoxHit(ControlRef theControl) {
    RGBColor theColor = LongInt2RGBColor(GetControl32BitValue(theControl));
    Str255 prompt;
    CopyCToPString("Please choose color:", prompt);
    if (UseColorPicker(Point{0, 0}, prompt, theColor, theColor))
        SetControl32BitValue(theControl, RGBColor2LongInt(theColor));
}

}  // namespace

void RegisterColorBox() {
    const EventTypeSpec events[] = {{kEventClassControl, kEventControlDraw},
                                    {kEventClassControl, kEventControlHitTest},
                                    {kEventClassControl, kEventControlHit}};
    lgMyHandlerUPP = NewEventHandlerUPP(ColorBoxControlHandler);
    CFStringRef classID = MakeCFStringOfC("com.qrv.vidkitfx.color");
    RegisterToolboxObjectClass(classID, nullptr, 3, events, lgMyHandlerUPP, nullptr, &lgColorBoxClassRef);
    CFRelease(classID);
}

void UnregisterColorBox() {
    UnregisterToolboxObjectClass(lgColorBoxClassRef);
    lgColorBoxClassRef = nullptr;
    DisposeEventHandlerUPP(lgMyHandlerUPP);
    lgMyHandlerUPP = nullptr;
}

OSStatus ColorBoxControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
    ControlRef theControl = EventControl(theEvent);
    switch (GetEventKind(theEvent)) {
    case kEventControlHitTest: WholeControlHitTest(theEvent, theControl); return noErr;
    case kEventControlDraw: ColorBoxDrawEvent(theControl); return noErr;
    // The click goes on to the window as the box's command.
    case kEventControlHit: ColorBoxHit(theControl); return eventNotHandledErr;
    default: return eventNotHandledErr;
    }
}

void ColorBoxDraw(Rect theRect, RGBColor theColor) {
    const RGBColor black{0, 0, 0};
    RGBForeColor(&theColor);
    PaintRect(&theRect);
    RGBForeColor(&black);
    FrameRect(&theRect);
}

Boolean UseColorPicker(Point where, ConstStr255Param prompt, RGBColor inColor, RGBColor& outColor) {
    NColorPickerInfo theColorInfo{};
    theColorInfo.theColor.profile = nullptr;
    theColorInfo.theColor.color.rgb = CMRGBColor{inColor.red, inColor.green, inColor.blue};
    theColorInfo.dstProfile = nullptr;
    theColorInfo.flags = kColorPickerDialogIsMoveable | kColorPickerDialogIsModal | kColorPickerAppIsColorSyncAware |
                         kColorPickerInPickerDialog;
    theColorInfo.placeWhere = kAtSpecifiedOrigin;
    theColorInfo.dialogOrigin = where;
    theColorInfo.pickerType = 0;
    theColorInfo.eventProc = nullptr;
    theColorInfo.colorProc = nullptr;
    theColorInfo.colorProcData = 0;
    std::memcpy(theColorInfo.prompt, prompt, prompt[0] + 1u);
    theColorInfo.mInfo = PickerMenuItemInfo{0, 0, 0, 0, 0, 0};
    theColorInfo.newColorChosen = false;
    if (NPickColor(&theColorInfo) != noErr || !theColorInfo.newColorChosen) return false;
    const CMRGBColor& chosen = theColorInfo.theColor.color.rgb;
    outColor = RGBColor{chosen.red, chosen.green, chosen.blue};
    return true;
}
