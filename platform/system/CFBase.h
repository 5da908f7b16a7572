/* Core Foundation base: reference-counted objects shared by strings,
 * bundles and URLs. Every object starts with a retain count of 1 and is
 * finalized when CFRelease brings it to 0. */
#ifndef MV_CFBASE_H
#define MV_CFBASE_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

typedef const void* CFTypeRef;
typedef long CFIndex;
typedef const struct __CFAllocator* CFAllocatorRef;

/* Only the default allocator exists here. */
#define kCFAllocatorDefault ((CFAllocatorRef)0)

MV_API CFTypeRef CFRetain(CFTypeRef cf);
MV_API void CFRelease(CFTypeRef cf);
MV_API CFIndex CFGetRetainCount(CFTypeRef cf);

MV_EXTERN_C_END

#endif
