// The control events' parameters, as the three custom controls read and
// write them: the control, the mouse location, the part a hit test reports.
#pragma once

#include "toolkit/CarbonEvents.h"
#include "toolkit/Controls.h"

ControlRef EventControl(EventRef theEvent);
Point EventMouseLocation(EventRef theEvent);
void SetEventPart(EventRef theEvent, ControlPartCode thePart);
// The hit test of a control that is one part: 1 inside its bounds, 0 outside.
void WholeControlHitTest(EventRef theEvent, ControlRef theControl);
