// Rectangle arithmetic; coordinates wrap to 16 bits as on the original.
#include "quickdraw/QuickDraw.h"

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
