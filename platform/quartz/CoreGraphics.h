/* Quartz 2D: immutable images, bitmap contexts and compositing. */
#ifndef MV_COREGRAPHICS_H
#define MV_COREGRAPHICS_H

#include "MacTypes.h"
#include "quickdraw/QuickDraw.h"

MV_EXTERN_C_BEGIN

typedef float CGFloat;
typedef struct CGImage* CGImageRef;
typedef struct CGContext* CGContextRef;
typedef struct CGColorSpace* CGColorSpaceRef;

typedef struct CGPoint {
    CGFloat x;
    CGFloat y;
} CGPoint;

typedef struct CGSize {
    CGFloat width;
    CGFloat height;
} CGSize;

/* y grows upward from the bottom-left corner of a context. */
typedef struct CGRect {
    CGPoint origin;
    CGSize size;
} CGRect;

/* Maps (x, y) to (a x + c y + tx, b x + d y + ty). */
typedef struct CGAffineTransform {
    CGFloat a, b, c, d;
    CGFloat tx, ty;
} CGAffineTransform;

static inline CGPoint CGPointMake(CGFloat x, CGFloat y) {
    CGPoint p;
    p.x = x;
    p.y = y;
    return p;
}
static inline CGSize CGSizeMake(CGFloat width, CGFloat height) {
    CGSize s;
    s.width = width;
    s.height = height;
    return s;
}
static inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    CGRect r;
    r.origin.x = x;
    r.origin.y = y;
    r.size.width = width;
    r.size.height = height;
    return r;
}

typedef UInt32 CGBitmapInfo;
typedef enum CGImageAlphaInfo {
    kCGImageAlphaNone = 0,
    kCGImageAlphaPremultipliedLast = 1,
    kCGImageAlphaPremultipliedFirst = 2,
    kCGImageAlphaLast = 3,
    kCGImageAlphaFirst = 4,
    kCGImageAlphaNoneSkipLast = 5,
    kCGImageAlphaNoneSkipFirst = 6
} CGImageAlphaInfo;

typedef enum CGBlendMode { kCGBlendModeNormal = 0 } CGBlendMode;

MV_API CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
MV_API void CGColorSpaceRelease(CGColorSpaceRef space);

/* Images: reference-counted, immutable, 8 bits per channel, A, R, G, B in
 * memory, premultiplied. Release and retain accept null. A copy may share
 * the original's pixels; each reference is released on its own. */
MV_API CGImageRef CGImageRetain(CGImageRef image);
MV_API void CGImageRelease(CGImageRef image);
MV_API CGImageRef CGImageCreateCopy(CGImageRef image);
MV_API size_t CGImageGetWidth(CGImageRef image);
MV_API size_t CGImageGetHeight(CGImageRef image);
MV_API size_t CGImageGetBytesPerRow(CGImageRef image);
MV_API size_t CGImageGetBitsPerComponent(CGImageRef image);
MV_API size_t CGImageGetBitsPerPixel(CGImageRef image);
MV_API CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image);

/* Bitmap contexts draw straight into the caller's pixels. Only 8 bits per
 * component, device RGB and kCGImageAlphaPremultipliedFirst in the default
 * byte order are supported; anything else gives null. */
MV_API CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height,
                                          size_t bitsPerComponent, size_t bytesPerRow,
                                          CGColorSpaceRef space, CGBitmapInfo bitmapInfo);
MV_API CGImageRef CGBitmapContextCreateImage(CGContextRef context);
MV_API void* CGBitmapContextGetData(CGContextRef context);
MV_API size_t CGBitmapContextGetWidth(CGContextRef context);
MV_API size_t CGBitmapContextGetHeight(CGContextRef context);
MV_API size_t CGBitmapContextGetBytesPerRow(CGContextRef context);

MV_API CGContextRef CGContextRetain(CGContextRef context);
MV_API void CGContextRelease(CGContextRef context);
MV_API void CGContextFlush(CGContextRef context);

/* Drawing state: transform, global alpha and blend mode. */
MV_API void CGContextSaveGState(CGContextRef context);
MV_API void CGContextRestoreGState(CGContextRef context);
MV_API void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty);
MV_API void CGContextRotateCTM(CGContextRef context, CGFloat angle);
MV_API void CGContextScaleCTM(CGContextRef context, CGFloat sx, CGFloat sy);
MV_API CGAffineTransform CGContextGetCTM(CGContextRef context);
MV_API void CGContextSetAlpha(CGContextRef context, CGFloat alpha);
MV_API void CGContextSetBlendMode(CGContextRef context, CGBlendMode mode);

/* Sets the pixels the transformed rectangle covers to transparent black. */
MV_API void CGContextClearRect(CGContextRef context, CGRect rect);
/* Scales the image into the transformed rectangle, nearest pixel, upright
 * in y-up coordinates, composited source-over with the global alpha. */
MV_API void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);

/* A context on the pixels of a port, y-up over the port's bounds. End
 * releases the context and sets *inoutContext to null. */
MV_API OSStatus QDBeginCGContext(CGrafPtr inPort, CGContextRef* outContext);
MV_API OSStatus QDEndCGContext(CGrafPtr inPort, CGContextRef* inoutContext);

MV_EXTERN_C_END

#endif
