// The dialog's sliders and frame scrubber bound to the configuration and
// the preview: every movement stores its value, updates its legend and
// renders the preview again at once; the scrubber fetches its frame first.
#pragma once

#include "MacTypes.h"
#include "toolkit/Controls.h"

void SetupSliders(WindowRef theWindow);
// The fetched frame rendered again into the preview, and the clip control redrawn.
void ReRenderAndBlit();
// Scrubber position theVal fetched into the preview's source, then rendered.
void AccessRenderAndBlit(SInt32 theVal);
void ClipSliderAction(ControlRef theControl, ControlPartCode thePart);
void Slider1Action(ControlRef theControl, ControlPartCode thePart);
void Slider2Action(ControlRef theControl, ControlPartCode thePart);
void Slider3Action(ControlRef theControl, ControlPartCode thePart);
void Slider4Action(ControlRef theControl, ControlPartCode thePart);
void Slider5Action(ControlRef theControl, ControlPartCode thePart);
void Slider6Action(ControlRef theControl, ControlPartCode thePart);
// "12/99": the scrubber's position over the clip's last frame index, in "ClpM" 1.
void SetFrameCounter(SInt32 thePosition);
