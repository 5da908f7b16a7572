// Numbers as texts, and texts as platform strings.
#pragma once

#include "MacTypes.h"
#include "system/CFString.h"

// Decimal, a leading "-" for negative numbers, no grouping.
void Num2Text(SInt32 theNum, Str255 theText);

// A new platform string (the caller releases it) of the text's Mac Roman
// characters.
CFStringRef MakeCFString(ConstStr255Param theText);
// The same of a zero-terminated text, cut at 255 characters.
CFStringRef MakeCFStringOfC(const char* text);
