/* Windowing toolkit: window and control references. */
#ifndef MV_MACWINDOWS_H
#define MV_MACWINDOWS_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

typedef struct OpaqueWindowPtr* WindowRef;
typedef struct OpaqueControlRef* ControlRef;

MV_EXTERN_C_END

#endif
