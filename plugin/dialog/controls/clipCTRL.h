// The clip control: the dialog's large preview, on which the start
// rectangle is moved by its body and resized by its corner handles, the
// preview rendered again at every step of a drag.
#pragma once

#include "toolkit/CarbonEvents.h"

void RegisterClipCtrl();
void UnregisterClipCtrl();
OSStatus ClipCtrlControlHandler(EventHandlerCallRef handlerCallRef, EventRef theEvent, void* userData);
