// The picture control: a picture well showing an image on a white ground,
// proportional and centred, outlined in black and inverted while pressed.
// Its value stands for the image: PictureControlValue gives the value for
// an image, 0 for none. The control neither retains nor releases it.
#pragma once

#include "MacTypes.h"
#include "quartz/CoreGraphics.h"
#include "toolkit/CarbonEvents.h"

void RegisterPictureControl();
void UnregisterPictureControl();
OSStatus PictureControlHandler(EventHandlerCallRef handlerCallRef, EventRef theEvent, void* userData);
// A control value is 32 bits wide, an image reference may not be: images are
// numbered from 1 as they are first handed over.
SInt32 PictureControlValue(CGImageRef theImage);
CGImageRef PictureControlImage(SInt32 theValue);
