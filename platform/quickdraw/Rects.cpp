// Rectangle arithmetic; coordinates wrap to 16 bits as on the original.
#include "quickdraw/QuickDraw.h"

#include <algorithm>

void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    if (!r) return;
    r->left = left;
    r->top = top;
    r->right = right;
    r->bottom = bottom;
}

void OffsetRect(Rect* r, SInt16 dh, SInt16 dv) {
    if (!r) return;
    r->left = static_cast<SInt16>(r->left + dh);
    r->right = static_cast<SInt16>(r->right + dh);
    r->top = static_cast<SInt16>(r->top + dv);
    r->bottom = static_cast<SInt16>(r->bottom + dv);
}

Boolean EqualRect(const Rect* rect1, const Rect* rect2) {
    return rect1 && rect2 && rect1->left == rect2->left && rect1->top == rect2->top && rect1->right == rect2->right &&
           rect1->bottom == rect2->bottom;
}

void InsetRect(Rect* r, SInt16 dh, SInt16 dv) {
    if (!r) return;
    r->left = static_cast<SInt16>(r->left + dh);
    r->right = static_cast<SInt16>(r->right - dh);
    r->top = static_cast<SInt16>(r->top + dv);
    r->bottom = static_cast<SInt16>(r->bottom - dv);
    if (r->left >= r->right || r->top >= r->bottom) *r = Rect{0, 0, 0, 0};
}

void Pt2Rect(Point pt1, Point pt2, Rect* dstRect) {
    if (!dstRect) return;
    *dstRect = Rect{std::min(pt1.v, pt2.v), std::min(pt1.h, pt2.h), std::max(pt1.v, pt2.v), std::max(pt1.h, pt2.h)};
}

Boolean PtInRect(Point pt, const Rect* r) {
    return r && pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}
