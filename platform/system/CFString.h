/* Immutable Core Foundation strings. Text is held as UTF-8; Mac Roman
 * input and output go through a full 256-entry mapping. */
#ifndef MV_CFSTRING_H
#define MV_CFSTRING_H

#include "system/CFBase.h"

MV_EXTERN_C_BEGIN

typedef const struct __CFString* CFStringRef;
typedef UInt32 CFStringEncoding;

enum {
    kCFStringEncodingMacRoman = 0,
    kCFStringEncodingASCII = 0x0600,
    kCFStringEncodingUTF8 = 0x08000100
};

/* Returns NULL for a NULL source, an unknown encoding or invalid UTF-8. */
MV_API CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr,
                                                  CFStringEncoding encoding);
MV_API CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                             CFStringEncoding encoding);

/* Number of characters (Unicode code points). */
MV_API CFIndex CFStringGetLength(CFStringRef theString);

/* Copies the text with a terminating NUL; false when it does not fit or a
 * character has no form in the encoding (the buffer is then left empty). */
MV_API Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                                  CFStringEncoding encoding);

MV_EXTERN_C_END

#endif
