/* Windowing toolkit: events and their handlers. Handlers on a target are
 * called most recently installed first; one that answers eventNotHandledErr
 * passes the event on, and after the last the toolkit's standard handling
 * runs. Custom control classes are registered by identifier; an interface
 * file names them as a widget's class. */
#ifndef MV_CARBONEVENTS_H
#define MV_CARBONEVENTS_H

#include "MacTypes.h"
#include "system/CFString.h"
#include "toolkit/MacWindows.h"

MV_EXTERN_C_BEGIN

typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueToolboxObjectClassRef* ToolboxObjectClassRef;
typedef struct OpaqueMenuRef* MenuRef;

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent, void* inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;

typedef OSType EventParamName;
typedef OSType EventParamType;

typedef struct EventTypeSpec {
    UInt32 eventClass;
    UInt32 eventKind;
} EventTypeSpec;

/* A command, as a command event carries it. */
#pragma pack(push, 2)
typedef struct HICommand {
    UInt32 attributes;
    UInt32 commandID;
    struct {
        MenuRef menuRef;
        UInt16 menuItemIndex;
    } menu;
} HICommand;
#pragma pack(pop)

enum {
    kEventClassCommand = MV_FOURCC('c', 'm', 'd', 's'),
    kEventClassControl = MV_FOURCC('c', 'n', 't', 'l'),
    kEventCommandProcess = 1,
    kEventParamDirectObject = MV_FOURCC('-', '-', '-', '-'),
    typeHICommand = MV_FOURCC('h', 'c', 'm', 'd'),
    typeControlRef = MV_FOURCC('c', 't', 'r', 'l'),
    kHICommandFromControl = 1 << 1,
    kHICommandFromMenu = 1 << 0
};

/* Events of a custom control class. The toolkit sends a control's class
 * handler: draw when it wants the control shown (once the window is made,
 * when the control is shown, its value or hilite changes, or Draw1Control);
 * owning-window-changed when the window is made, and draw after it unless
 * handled; activate or deactivate when another window's modal loop begins
 * or ends over its window, and draw after it unless handled. A mouse-down
 * is hit-tested (the handler writes the part); on a part other than 0 track
 * follows, with the location, the modifiers and the part, which the handler
 * may change; unless handled the toolkit tracks itself, hiliting the part
 * while the mouse is over it. When tracking ends on a part, hit follows,
 * and unless handled the control's command goes to its window. Every
 * event carries the control as its direct object. */
enum {
    kEventControlHit = 1,
    kEventControlHitTest = 3,
    kEventControlDraw = 4,
    kEventControlActivate = 9,
    kEventControlDeactivate = 10,
    kEventControlTrack = 51,
    kEventControlOwningWindowChanged = 159,
    kEventParamMouseLocation = MV_FOURCC('m', 'l', 'o', 'c'),
    kEventParamKeyModifiers = MV_FOURCC('k', 'm', 'o', 'd'),
    kEventParamControlPart = MV_FOURCC('c', 'p', 'r', 't'),
    typeQDPoint = MV_FOURCC('Q', 'D', 'p', 't'),
    typeUInt32 = MV_FOURCC('m', 'a', 'g', 'n'),
    typeControlPartCode = MV_FOURCC('c', 'p', 'r', 't')
};

/* Key modifiers, as events and mouse tracking carry them. Shift is Shift;
 * Alt stands for Option, and so does Ctrl, since desktops take Alt-drags
 * for moving windows; the Super key stands for Command. */
enum { cmdKey = 256, shiftKey = 512, alphaLock = 1024, optionKey = 2048, controlKey = 4096 };

typedef UInt16 MouseTrackingResult;
enum {
    kMouseTrackingMouseDown = 1,
    kMouseTrackingMouseUp = 2,
    kMouseTrackingMouseExited = 3,
    kMouseTrackingMouseEntered = 4,
    kMouseTrackingMouseDragged = 5,
    kMouseTrackingKeyModifiersChanged = 6,
    kMouseTrackingUserCancelled = 7,
    kMouseTrackingTimedOut = 8,
    kMouseTrackingMouseMoved = 9
};

enum {
    eventNotHandledErr = -9874,
    eventParameterNotFoundErr = -9870,
    errEventParameterTypeMismatch = -9877,
    eventClassInvalidErr = -9860,
    errToolboxObjectClassExists = -22001,
    errToolboxObjectClassNotFound = -22002
};

MV_API EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine);
MV_API void DisposeEventHandlerUPP(EventHandlerUPP userUPP);

MV_API EventTargetRef GetWindowEventTarget(WindowRef window);
MV_API EventTargetRef GetControlEventTarget(ControlRef control);

MV_API OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, UInt32 numTypes,
                                    const EventTypeSpec* list, void* userData, EventHandlerRef* outRef);
MV_API OSStatus RemoveEventHandler(EventHandlerRef handler);
/* Passes the event to the handlers after the caller, then to the standard handling. */
MV_API OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent);

MV_API UInt32 GetEventClass(EventRef event);
MV_API UInt32 GetEventKind(EventRef event);
/* Copies the parameter, which must be of desiredType, into outData
 * (bufferSize bytes at most); outActualType and outActualSize may be NULL. */
MV_API OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                                  EventParamType* outActualType, UInt32 bufferSize, UInt32* outActualSize,
                                  void* outData);
MV_API OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, UInt32 size,
                                  const void* data);

/* A custom control class: controls whose interface-file class is classID
 * get the handler on their own event target. errToolboxObjectClassExists
 * for an identifier already registered. */
MV_API OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef baseClass, UInt32 numEvents,
                                           const EventTypeSpec* eventList, EventHandlerUPP eventHandler,
                                           void* eventHandlerData, ToolboxObjectClassRef* outClassRef);
MV_API OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef classRef);

/* Waits for the next mouse event of the window whose port inPort is (the
 * current port when NULL) and gives its location in that port's coordinates
 * and what happened: the primary button down or up, dragged, moved, or the
 * modifiers changed. What has been drawn into the port is on the screen
 * while it waits. Within a click on a custom control, events that came
 * while nothing waited are kept in order and given first. Should the button
 * be found released with nothing kept (its release lost to the desktop), or
 * the window go, the wait ends as a mouse-up; so it does, with paramErr,
 * for a port that is no window's. */
MV_API OSStatus TrackMouseLocation(GrafPtr inPort, Point* outPt, MouseTrackingResult* outResult);

MV_EXTERN_C_END

#endif
