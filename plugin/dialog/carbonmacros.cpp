#include "dialog/carbonmacros.h"

std::string CommandID2Str(UInt32 commandID) {
    std::string text(4, ' ');
    for (int n = 0; n < 4; ++n) text[n] = static_cast<char>((commandID >> (24 - 8 * n)) & 0xFF);
    return text;
}

ControlRef SimpleGetControlByID(WindowRef theWindow, OSType signature, SInt32 id) {
    const ControlID theID{signature, id};
    ControlRef theControl = nullptr;
    if (GetControlByID(theWindow, &theID, &theControl) != noErr) return nullptr;
    return theControl;
}

Rect GetControlBox(ControlRef theControl) {
    Rect theBox;
    GetControlBounds(theControl, &theBox);
    return theBox;
}

void SimpleSetControlText(WindowRef theWindow, OSType signature, SInt32 id, ConstStr255Param theText) {
    ControlRef theControl = SimpleGetControlByID(theWindow, signature, id);
    if (!theControl) return;
    Str255 text = {0};
    if (theText)
        for (int n = 0; n <= theText[0]; ++n) text[n] = theText[n];
    SetControlData(theControl, kControlEntireControl, kControlStaticTextTextTag, text[0], text + 1);
    Draw1Control(theControl);
}

void SimpleHideControl(WindowRef theWindow, OSType signature, SInt32 id) {
    if (ControlRef theControl = SimpleGetControlByID(theWindow, signature, id)) HideControl(theControl);
}

SInt32 SimpleGetControlValueByID(WindowRef theWindow, OSType signature, SInt32 id) {
    ControlRef theControl = SimpleGetControlByID(theWindow, signature, id);
    return theControl ? GetControl32BitValue(theControl) : 0;
}

void SimpleSetControlValueByID(WindowRef theWindow, OSType signature, SInt32 id, SInt32 value) {
    if (ControlRef theControl = SimpleGetControlByID(theWindow, signature, id)) SetControl32BitValue(theControl, value);
}
