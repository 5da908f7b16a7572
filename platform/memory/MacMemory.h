/* Memory Manager: pointer and handle blocks that remember their size, shared
 * by hosts and plug-ins so that GetPtrSize answers for any block made here. */
#ifndef MV_MACMEMORY_H
#define MV_MACMEMORY_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

MV_API Ptr NewPtr(Size byteCount);
MV_API Ptr NewPtrClear(Size byteCount);
MV_API void DisposePtr(Ptr p);
/* 0 for a null pointer or a block not made by NewPtr / NewPtrClear. */
MV_API Size GetPtrSize(Ptr p);

MV_API Handle NewHandle(Size byteCount);
MV_API Handle NewHandleClear(Size byteCount);
MV_API void DisposeHandle(Handle h);
MV_API Size GetHandleSize(Handle h);
MV_API void SetHandleSize(Handle h, Size newSize);

/* Handles never move here; locking only records the state callers restore. */
typedef SInt8 HandleState;
enum { kHandleLockedBit = 0x80 };
MV_API void HLock(Handle h);
MV_API void HUnlock(Handle h);
MV_API SInt8 HGetState(Handle h);
MV_API void HSetState(Handle h, SInt8 flags);
MV_API void MoveHHi(Handle h);

/* Result of the last Memory Manager call on this thread: noErr or memFullErr. */
MV_API OSErr MemError(void);

MV_EXTERN_C_END

#endif
