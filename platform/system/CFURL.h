/* Core Foundation URLs, as far as bundles use them: file locations. */
#ifndef MV_CFURL_H
#define MV_CFURL_H

#include "system/CFString.h"
#include "system/Files.h"

MV_EXTERN_C_BEGIN

typedef const struct __CFURL* CFURLRef;

/* A file URL for the path of bufLen bytes; NULL for an empty or NULL path. */
MV_API CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator,
                                                        const UInt8* buffer, CFIndex bufLen,
                                                        Boolean isDirectory);

/* The path with its terminating zero; false when it does not fit. */
MV_API Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase,
                                                UInt8* buffer, CFIndex maxBufLen);

/* False when the file does not exist. */
MV_API Boolean CFURLGetFSRef(CFURLRef url, FSRef* fsRef);

MV_EXTERN_C_END

#endif
