/* Quartz 2D: immutable images, bitmap contexts and compositing. */
#ifndef MV_COREGRAPHICS_H
#define MV_COREGRAPHICS_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

typedef float CGFloat;
typedef struct CGImage* CGImageRef;
typedef struct CGContext* CGContextRef;
typedef struct CGColorSpace* CGColorSpaceRef;

MV_EXTERN_C_END

#endif
