// The colour box: a swatch of the colour its value holds (00RRGGBB),
// outlined in black; a click opens the colour picker and then goes on to
// the dialog as the box's command.
#pragma once

#include "MacTypes.h"
#include "quickdraw/QuickDraw.h"
#include "toolkit/CarbonEvents.h"

void RegisterColorBox();
void UnregisterColorBox();
OSStatus ColorBoxControlHandler(EventHandlerCallRef handlerCallRef, EventRef theEvent, void* userData);
void ColorBoxDraw(Rect theRect, RGBColor theColor);
// True when the user chose a colour, which is then in outColor.
Boolean UseColorPicker(Point where, ConstStr255Param prompt, RGBColor inColor, RGBColor& outColor);
