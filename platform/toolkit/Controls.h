/* Windowing toolkit: controls, found in their window by signature and id. */
#ifndef MV_CONTROLS_H
#define MV_CONTROLS_H

#include "MacTypes.h"
#include "toolkit/MacWindows.h"

MV_EXTERN_C_BEGIN

typedef struct ControlID {
    OSType signature;
    SInt32 id;
} ControlID;

typedef SInt16 ControlPartCode;

enum {
    kControlEntireControl = 0,
    kControlNoPart = 0,
    kControlDisabledPart = 254,
    kControlInactivePart = 255
};

/* The text of a static text or an edit text: bytes in Mac Roman. */
enum { kControlStaticTextTextTag = MV_FOURCC('t', 'e', 'x', 't'), kControlEditTextTextTag = MV_FOURCC('t', 'e', 'x', 't') };

enum {
    errUnknownControl = -30584,
    errDataNotSupported = -30583,
    errInvalidPartCode = -30588
};

/* A control's action procedure: called while the user moves a slider, once
 * for every movement (drag, click, key or wheel), with the value it moves to
 * already readable; not for values set by the program. */
typedef void (*ControlActionProcPtr)(ControlRef theControl, ControlPartCode partCode);
typedef ControlActionProcPtr ControlActionUPP;
enum { kControlIndicatorPart = 129 };

MV_API ControlActionUPP NewControlActionUPP(ControlActionProcPtr userRoutine);
MV_API void DisposeControlActionUPP(ControlActionUPP userUPP);
MV_API void SetControlAction(ControlRef theControl, ControlActionUPP actionProc);

/* errUnknownControl, and no control, when the window has none so named. */
MV_API OSStatus GetControlByID(WindowRef inWindow, const ControlID* inID, ControlRef* outControl);

/* The value is kept within minimum and maximum; a change is shown. A check
 * box is 0 off, 1 on, 2 mixed; a pop-up menu counts its items from 1. */
MV_API SInt32 GetControl32BitValue(ControlRef control);
MV_API void SetControl32BitValue(ControlRef control, SInt32 value);
MV_API SInt32 GetControl32BitMinimum(ControlRef control);
MV_API void SetControl32BitMinimum(ControlRef control, SInt32 minimum);
MV_API SInt32 GetControl32BitMaximum(ControlRef control);
MV_API void SetControl32BitMaximum(ControlRef control, SInt32 maximum);

MV_API void HideControl(ControlRef control);
MV_API void ShowControl(ControlRef control);
MV_API Boolean IsControlVisible(ControlRef control);

/* Only kControlStaticTextTextTag / kControlEditTextTextTag on part 0 of a
 * static or edit text: errDataNotSupported otherwise. */
MV_API OSErr SetControlData(ControlRef control, ControlPartCode part, ResType tagName, Size size, const void* data);
/* Copies up to bufferSize bytes; outActualSize gets the whole size. */
MV_API OSErr GetControlData(ControlRef control, ControlPartCode part, ResType tagName, Size bufferSize, void* buffer,
                            Size* outActualSize);

/* Shows the control now. */
MV_API void Draw1Control(ControlRef control);
/* In the owning window's content coordinates. */
MV_API Rect* GetControlBounds(ControlRef control, Rect* bounds);
MV_API WindowRef GetControlOwner(ControlRef control);
/* The part being pressed while the toolkit tracks a click on it, else
 * kControlNoPart, when active and enabled; kControlInactivePart while another
 * window's modal loop runs over its window, kControlDisabledPart when disabled. */
MV_API UInt16 GetControlHilite(ControlRef control);
/* The command the control sends, 0 for none. */
MV_API OSStatus GetControlCommandID(ControlRef control, UInt32* outCommandID);

MV_EXTERN_C_END

#endif
