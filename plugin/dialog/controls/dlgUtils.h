// The geometry and drawing behind the clip control: the start rectangle's
// corner handles and which of them a point hits, the preview with the
// rectangle drawn on it, corner and body drags with the Shift and Option
// rules, and keeping the frame's proportions.
#pragma once

#include "MacTypes.h"
#include "config/relRect.h"
#include "toolkit/MacWindows.h"

// Bits of the key-modifiers word; the others are ignored.
constexpr UInt32 ShiftMask = 0x0200;
constexpr UInt32 OptionMask = 0x0800;

// 1 top-left, 2 top-right, 3 bottom-left, 4 bottom-right (the first whose
// square holds theLoc), 5 inside theRect, 0 neither.
SInt16 IsHandleHit(Rect theRect, Point theLoc);
// Three rings on each corner, black, white and black, 12, 10 and 8 across.
void DrawHandles(Rect theRect);
// The rendered preview scaled onto destRect of the window's port, the start
// rectangle outlined on it with its handles, and a black border.
void DrawFrameContents(WindowRef theWindow, Rect destRect);
void DragRect(Rect& theRect, Point oldLoc, Point newLoc);
// Moves corner theHandle of theRect by newLoc - oldLoc; Option moves the
// opposite corner the other way, Shift keeps origRel's proportions in
// theFrame, and keep-proportions the control's.
void DragCorner(SInt16 theHandle, Rect& theRect, Point oldLoc, Point newLoc, UInt32 modifiers, Rect theFrame,
                relRect origRel);
// While keep-proportions is on, gives theRect the clip control's proportions
// by moving its bottom or right edge.
void KeepImageProps(Rect& theRect);
// The stored start rectangle brought to whole pixels of the clip control,
// and to its proportions while keep-proportions is on.
void CalcAndKeepImageProps();
