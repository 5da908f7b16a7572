// The configuration dialog's controller: chooses and opens the window for
// the media type, binds its controls to the configuration, handles every
// command, and on leaving keeps and saves the edit or restores the record.
#pragma once

#include "config/PluginDefines.h"
#include "toolkit/CarbonEvents.h"

// Runs the whole dialog; returns once it is accepted or cancelled: false
// when an accepted edit could not be saved and the user then cancelled.
Boolean DoConfig(pluginDataPtr theConfig);
void SetupDialog(WindowRef theWindow, pluginDataPtr theConfig);
void SetupColors(WindowRef theWindow, pluginDataPtr theConfig);
// Colours, slider values and keep-proportions into the open dialog; the preview refreshed.
void Config2Dlg(pluginDataPtr theConfig);
OSStatus TheDialogHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void* userData);
