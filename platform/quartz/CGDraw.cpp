// Drawing images and clearing rectangles under a context's transform.
#include "quartz/CGInternal.h"
#include "quartz/Composite.h"
#include "quartz/ImageDraw.h"

namespace {

mv::Affine FromCG(const CGAffineTransform& t) { return {t.a, t.b, t.c, t.d, t.tx, t.ty}; }

mv::Plane PlaneOf(CGContextRef context) {
    return {context->data, static_cast<std::ptrdiff_t>(context->rowBytes),
            static_cast<int>(context->width), static_cast<int>(context->height)};
}

// User space to pixel coordinates: the transform, then the flip from y-up
// to rows counted from the top.
mv::Affine UserToPixels(CGContextRef context) {
    const mv::Affine flip = {1, 0, 0, -1, 0, static_cast<double>(context->height)};
    return mv::Concat(FromCG(context->state.ctm), flip);
}

}  // namespace

void CGContextClearRect(CGContextRef context, CGRect rect) {
    if (!context || rect.size.width == 0 || rect.size.height == 0) return;
    const mv::Affine unitToUser = {rect.size.width, 0, 0, rect.size.height, rect.origin.x, rect.origin.y};
    const mv::Affine unitToPixels = mv::Concat(unitToUser, UserToPixels(context));
    mv::Affine toUnit;
    if (!mv::Invert(unitToPixels, toUnit)) return;
    const mv::Plane plane = PlaneOf(context);
    mv::ClearCovered(plane, toUnit, mv::CoveredBox(unitToPixels, 1, 1, plane));
}

// The image's top row lands at the top of rect, as in y-up drawing.
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image) {
    if (!context || !image || image->width == 0 || image->height == 0) return;
    const double iw = double(image->width), ih = double(image->height);
    const mv::Affine imageToUser = {rect.size.width / iw, 0, 0, -rect.size.height / ih,
                                    rect.origin.x, double{rect.origin.y} + rect.size.height};
    const mv::Affine imageToPixels = mv::Concat(imageToUser, UserToPixels(context));
    mv::DrawJob job{};
    if (!mv::Invert(imageToPixels, job.toSource)) return;
    job.dst = PlaneOf(context);
    job.src = image->pixels;
    job.srcRowBytes = static_cast<std::ptrdiff_t>(image->rowBytes);
    job.srcWidth = static_cast<int>(image->width);
    job.srcHeight = static_cast<int>(image->height);
    job.box = mv::CoveredBox(imageToPixels, iw, ih, job.dst);
    job.weight = mv::OpacityWeight(context->state.alpha);
    mv::DrawImage(job);
}
