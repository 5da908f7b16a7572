#include "dialog/controls/controlEvents.h"

ControlRef EventControl(EventRef theEvent) {
    ControlRef theControl = nullptr;
    GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl, nullptr,
                      &theControl);
    return theControl;
}

Point EventMouseLocation(EventRef theEvent) {
    Point where{0, 0};
    GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
    return where;
}

void SetEventPart(EventRef theEvent, ControlPartCode thePart) {
    SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof thePart, &thePart);
}

void WholeControlHitTest(EventRef theEvent, ControlRef theControl) {
    const Point where = EventMouseLocation(theEvent);
    Rect bounds;
    GetControlBounds(theControl, &bounds);
    SetEventPart(theEvent, PtInRect(where, &bounds) ? 1 : kControlNoPart);
}
