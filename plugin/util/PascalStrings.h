// Length-prefixed texts of at most 255 characters: every text inside the
// effect logic has this form; anything longer is cut at 255.
#pragma once

#include "MacTypes.h"

void CopyCToPString(const char* source, Str255 dest);
// dest holds at least 256 bytes.
void CopyPToCString(ConstStr255Param source, char* dest);
void PStrCat(Str255 dest, ConstStr255Param source);
void PStrCatC(Str255 dest, const char* source);
