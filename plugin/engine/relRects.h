// Zoom regions kept as fractions of a reference frame, and their conversion
// to and from pixel rectangles of a given frame.
#pragma once

#include "MacTypes.h"
#include "config/relRect.h"

void InitRelRect(relRect& theRel);
Rect Rel2Rect(relRect theRel, Rect theFrame);
relRect Rect2Rel(Rect theRect, Rect theFrame);
