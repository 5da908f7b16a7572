// Assertions, fatal stops and notices: the plug-in's one way of reporting
// what must not happen, and what the user can recover from.
#pragma once

#include "MacTypes.h"

// Texts are taken as zero-terminated C strings for the sake of literals and
// handled as length-prefixed strings of at most 255 characters inside.
void Assert(const void* thePtr, const char* failLocation);
// A guest in another program's process (the frei0r filter) must not end it:
// while a thread has a handler, its failed assertions call that instead of
// stopping the process, and the handler does not return (it throws).
using AssertionHandler = void (*)(const char* failLocation);
void SetAssertionHandler(AssertionHandler handler);
[[noreturn]] void Terminate(const char* headline, const char* description);
void Notify(const char* theMessage);
SInt16 StandardWarning(const char* headline, const char* description, const char* okText,
                       const char* cancelText);
