// The about window: the effect's name and version, over the dialog.
#pragma once

#include "toolkit/CarbonEvents.h"

// Opens the about window and returns once it is closed and disposed of.
void ShowAbout();
OSStatus AboutDialogHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void* userData);
