// One-line access to a window's controls by signature and id, and to a
// command's four characters. A control the window lacks is skipped.
#pragma once

#include <string>

#include "MacTypes.h"
#include "toolkit/Controls.h"

// The command id's four bytes, most significant first: "ok  ", "Col3".
std::string CommandID2Str(UInt32 commandID);

// No control (nil) when the window has none so named.
ControlRef SimpleGetControlByID(WindowRef theWindow, OSType signature, SInt32 id);
// In window coordinates.
Rect GetControlBox(ControlRef theControl);
// Sets the text of a static or edit text (up to 255 characters) and shows it.
void SimpleSetControlText(WindowRef theWindow, OSType signature, SInt32 id, ConstStr255Param theText);
void SimpleHideControl(WindowRef theWindow, OSType signature, SInt32 id);
// 0 for a control the window lacks.
SInt32 SimpleGetControlValueByID(WindowRef theWindow, OSType signature, SInt32 id);
void SimpleSetControlValueByID(WindowRef theWindow, OSType signature, SInt32 id, SInt32 value);
