// Bitmap contexts, their drawing state, and contexts on QuickDraw ports.
#include <cmath>
#include <new>

#include "quartz/CGInternal.h"
#include "quickdraw/QDPort.h"

namespace {

constexpr CGAffineTransform kIdentity = {1, 0, 0, 1, 0, 0};

// m' = (translate or rotate) then m, as the CTM calls prepend.
CGAffineTransform Prepend(const CGAffineTransform& t, const CGAffineTransform& m) {
    return {t.a * m.a + t.b * m.c,         t.a * m.b + t.b * m.d,
            t.c * m.a + t.d * m.c,         t.c * m.b + t.d * m.d,
            t.tx * m.a + t.ty * m.c + m.tx, t.tx * m.b + t.ty * m.d + m.ty};
}

}  // namespace

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height,
                                   size_t bitsPerComponent, size_t bytesPerRow,
                                   CGColorSpaceRef space, CGBitmapInfo bitmapInfo) {
    if (!data || !space || bitsPerComponent != 8 || bitmapInfo != kCGImageAlphaPremultipliedFirst)
        return nullptr;
    if (width > INT32_MAX / 4 || height > INT32_MAX || bytesPerRow < width * 4) return nullptr;
    auto* context = new (std::nothrow) CGContext;
    if (!context) return nullptr;
    context->refs = 1;
    context->data = static_cast<std::uint8_t*>(data);
    context->width = width;
    context->height = height;
    context->rowBytes = bytesPerRow;
    context->space = space;
    ++space->refs;
    context->state = {kIdentity, 1.0f, kCGBlendModeNormal};
    context->port = nullptr;
    return context;
}

CGImageRef CGBitmapContextCreateImage(CGContextRef context) {
    if (!context) return nullptr;
    return MVCreateImageFromRows(context->data, context->rowBytes, context->width, context->height);
}

void* CGBitmapContextGetData(CGContextRef context) { return context ? context->data : nullptr; }
size_t CGBitmapContextGetWidth(CGContextRef context) { return context ? context->width : 0; }
size_t CGBitmapContextGetHeight(CGContextRef context) { return context ? context->height : 0; }
size_t CGBitmapContextGetBytesPerRow(CGContextRef context) { return context ? context->rowBytes : 0; }

CGContextRef CGContextRetain(CGContextRef context) {
    if (context) ++context->refs;
    return context;
}

void CGContextRelease(CGContextRef context) {
    if (!context || --context->refs != 0) return;
    CGColorSpaceRelease(context->space);
    delete context;
}

// Drawing goes straight to the pixels; there is nothing to flush.
void CGContextFlush(CGContextRef) {}

void CGContextSaveGState(CGContextRef context) {
    if (context) context->saved.push_back(context->state);
}

void CGContextRestoreGState(CGContextRef context) {
    if (!context || context->saved.empty()) return;
    context->state = context->saved.back();
    context->saved.pop_back();
}

void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty) {
    if (context) context->state.ctm = Prepend({1, 0, 0, 1, tx, ty}, context->state.ctm);
}

void CGContextRotateCTM(CGContextRef context, CGFloat angle) {
    if (!context) return;
    const double c = std::cos(double{angle}), s = std::sin(double{angle});
    const CGAffineTransform r = {CGFloat(c), CGFloat(s), CGFloat(-s), CGFloat(c), 0, 0};
    context->state.ctm = Prepend(r, context->state.ctm);
}

void CGContextScaleCTM(CGContextRef context, CGFloat sx, CGFloat sy) {
    if (context) context->state.ctm = Prepend({sx, 0, 0, sy, 0, 0}, context->state.ctm);
}

CGAffineTransform CGContextGetCTM(CGContextRef context) {
    return context ? context->state.ctm : kIdentity;
}

void CGContextSetAlpha(CGContextRef context, CGFloat alpha) {
    if (!context) return;
    if (std::isnan(alpha)) return;
    context->state.alpha = alpha < 0 ? 0.0f : (alpha > 1 ? 1.0f : alpha);
}

void CGContextSetBlendMode(CGContextRef context, CGBlendMode mode) {
    if (context) context->state.blendMode = mode;
}

OSStatus QDBeginCGContext(CGrafPtr inPort, CGContextRef* outContext) {
    if (!outContext) return paramErr;
    *outContext = nullptr;
    if (!inPort || !inPort->pixMap.baseAddr) return paramErr;
    const Rect& b = inPort->pixMap.bounds;
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef context = CGBitmapContextCreate(
        inPort->pixMap.baseAddr, size_t(b.right - b.left), size_t(b.bottom - b.top), 8,
        size_t(inPort->pixMap.rowBytes), space, kCGImageAlphaPremultipliedFirst);
    CGColorSpaceRelease(space);
    if (!context) return memFullErr;
    context->port = inPort;
    *outContext = context;
    return noErr;
}

OSStatus QDEndCGContext(CGrafPtr inPort, CGContextRef* inoutContext) {
    if (!inoutContext || !*inoutContext || (*inoutContext)->port != inPort) return paramErr;
    CGContextRelease(*inoutContext);
    *inoutContext = nullptr;
    return noErr;
}
