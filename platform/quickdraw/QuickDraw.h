/* QuickDraw: drawing ports, offscreen graphics worlds and bit transfer. */
#ifndef MV_QUICKDRAW_H
#define MV_QUICKDRAW_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

typedef struct OpaqueGrafPtr* GrafPtr;
typedef GrafPtr CGrafPtr;
typedef CGrafPtr GWorldPtr;
typedef struct OpaqueGDHandle* GDHandle;
typedef struct PixMap PixMap;
typedef PixMap* PixMapPtr;
typedef PixMapPtr* PixMapHandle;

MV_EXTERN_C_END

#endif
