/* Basic types of the platform: fixed-width integers, error codes, Pascal
 * strings and the QuickDraw geometry records shared by every service. */
#ifndef MV_MACTYPES_H
#define MV_MACTYPES_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef __cplusplus
#define MV_EXTERN_C_BEGIN extern "C" {
#define MV_EXTERN_C_END }
#else
#define MV_EXTERN_C_BEGIN
#define MV_EXTERN_C_END
#endif

/* Every platform entry point is exported from the platform library. */
#define MV_API __attribute__((visibility("default")))

MV_EXTERN_C_BEGIN

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;

typedef unsigned char Boolean;

typedef SInt16 OSErr;
typedef SInt32 OSStatus;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef FourCharCode ResType;
typedef char* Ptr;
typedef Ptr* Handle;
typedef long Size;
typedef SInt16 ResID;
typedef SInt16 ScriptCode;

typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str31[32];
typedef unsigned char* StringPtr;
typedef const unsigned char* ConstStringPtr;
typedef const unsigned char* ConstStr255Param;

/* Error codes the plug-in and its hosts look at. */
enum {
    noErr = 0,
    paramErr = -50,
    memFullErr = -108,
    nilHandleErr = -109,
    fnfErr = -43,
    wPrErr = -44,
    vLckdErr = -46,
    ioErr = -36,
    eofErr = -39,
    dirNFErr = -120,
    resNotFound = -192,
    resFNotFound = -193,
    addResFailed = -194,
    rmvResFailed = -196,
    mapReadErr = -199
};

typedef struct Point {
    SInt16 v;
    SInt16 h;
} Point;

/* A point (v, h) lies inside when left <= h < right and top <= v < bottom. */
typedef struct Rect {
    SInt16 top;
    SInt16 left;
    SInt16 bottom;
    SInt16 right;
} Rect;

typedef struct RGBColor {
    UInt16 red;
    UInt16 green;
    UInt16 blue;
} RGBColor;

/* Builds a four-character code from its text, most significant byte first. */
#define MV_FOURCC(a, b, c, d)                                                   \
    ((FourCharCode)(((UInt32)(UInt8)(a) << 24) | ((UInt32)(UInt8)(b) << 16) |   \
                    ((UInt32)(UInt8)(c) << 8) | (UInt32)(UInt8)(d)))

MV_EXTERN_C_END

#endif
