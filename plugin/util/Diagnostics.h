// Assertions, fatal stops and notices: the plug-in's one way of reporting
// what must not happen, and what the user can recover from.
#pragma once

#include "MacTypes.h"

// Texts are length-prefixed strings of at most 255 characters.
void Assert(const void* thePtr, ConstStr255Param failLocation);
[[noreturn]] void Terminate(ConstStr255Param headline, ConstStr255Param description);
void Notify(ConstStr255Param theMessage);
SInt16 StandardWarning(ConstStr255Param headline, ConstStr255Param description, ConstStr255Param okText,
                       ConstStr255Param cancelText);

// Convenience for literal texts: Assert(p, "\pwhere") is not C++, so callers
// write AssertC(p, "where").
void AssertC(const void* thePtr, const char* failLocation);
[[noreturn]] void TerminateC(const char* headline, const char* description);
