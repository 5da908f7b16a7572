#include "engine/CGglue.h"

#include "engine/imageProcs.h"
#include "engine/rectProcs.h"
#include "util/Diagnostics.h"

namespace {

struct Opacity {
    bool set;
    double alpha;
    SInt16 blendMode;
};

// The port's drawing context, ended however the drawing ends: an allocation
// that fails inside it unwinds through here to a guest host's frame.
struct PortContext {
    GWorldPtr port;
    CGContextRef context = nullptr;
    explicit PortContext(GWorldPtr inPort) : port(inPort) { QDBeginCGContext(port, &context); }
    ~PortContext() {
        if (context) QDEndCGContext(port, &context);
    }
    PortContext(const PortContext&) = delete;
    PortContext& operator=(const PortContext&) = delete;
};

void DrawInPort(GWorldPtr theGW, CGImageRef theImage, Rect qdTargetRect, float theRadiants,
                Boolean clearFirst, Opacity opacity) {
    const CGRect theCGFrame = QDRectToGCRect(qdTargetRect, GetPortRect(theGW));
    if (!theImage) return;
    const PortContext port(theGW);
    CGContextRef context = port.context;
    if (opacity.set) {
        if (opacity.alpha >= 0.0) CGContextSetAlpha(context, static_cast<CGFloat>(opacity.alpha));
        CGContextSetBlendMode(context, static_cast<CGBlendMode>(opacity.blendMode));
    }
    DrawRotatedImageInCGRect(context, theImage, theCGFrame, theRadiants, clearFirst);
    CGContextFlush(context);
}

}  // namespace

void DrawRotatedImageInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect,
                              float theRadiants, Boolean clearFirst) {
    Assert(theContext, "NIL context for DrawRotatedImageInQDRect");
    Assert(theImage, "NIL Image for DrawRotatedImageInQDRect");
    CGContextSaveGState(theContext);
    const CGFloat halfWid = targetRect.size.width / 2, halfHig = targetRect.size.height / 2;
    CGContextTranslateCTM(theContext, targetRect.origin.x + halfWid, targetRect.origin.y + halfHig);
    CGContextRotateCTM(theContext, theRadiants);
    const CGRect drawRect = CGRectMake(-halfWid, -halfHig, targetRect.size.width, targetRect.size.height);
    if (clearFirst) CGContextClearRect(theContext, drawRect);
    CGContextDrawImage(theContext, drawRect, theImage);
    CGContextRestoreGState(theContext);
}

void DrawCGImageInQDRect(GWorldPtr theGW, CGImageRef theImage, Rect qdTargetRect,
                         float theRadiants, Boolean clearFirst) {
    DrawInPort(theGW, theImage, qdTargetRect, theRadiants, clearFirst, {false, 1.0, 0});
}

void DrawCGImageInQDRectWithAlpha(GWorldPtr theGW, CGImageRef theImage, Rect qdTargetRect,
                                  float theRadiants, Boolean clearFirst, double alpha,
                                  SInt16 blendMode) {
    DrawInPort(theGW, theImage, qdTargetRect, theRadiants, clearFirst, {true, alpha, blendMode});
}
