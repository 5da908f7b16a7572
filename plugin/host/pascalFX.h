// The configuration bridge and entry: the entry points through which the host-facing
// shell reaches the working configuration. The shell treats records as opaque
// blocks of pGetConfigSize bytes; only these routines know their layout.
#pragma once

#include "MacTypes.h"
#include "hyplugin/HYPlugin.h"
#include "quickdraw/QuickDraw.h"

struct pluginDataRec;

MV_EXTERN_C_BEGIN

MV_API void InitPascal(void);
MV_API void InitMyPlugIn(void* theData);
MV_API void pGetConfigSize(UInt32* theSize);
MV_API void pNewConfig(void** theData);
MV_API void pCopyConfig(void* source, void* dest);
MV_API void pUncopyConfig(void* theData);
MV_API void pDestroyConfig(void* aConfig);
MV_API SInt16 GetMediaFormat(void* theData);
/* Runs the configuration dialog on the working record over theGW, a frame of
 * the clip (the host's); returns once it is accepted or cancelled: false when
 * the user accepted settings that could not be saved. */
MV_API Boolean ConfigurePlugIn(void* theData, GWorldPtr theGW, HYPluginParams* params, SInt32 firstFrameIndex,
                            SInt32 numberOfFrames);

MV_EXTERN_C_END

// Defaults, then the saved settings over them, written straight back.
void InitPluginData(pluginDataRec* theConfig);
