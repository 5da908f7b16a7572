// Bit transfer between pixel maps.
#include <algorithm>

#include "quickdraw/QDPort.h"
#include "quickdraw/ScaleCopy.h"

namespace {

int Width(const Rect& r) { return int{r.right} - r.left; }
int Height(const Rect& r) { return int{r.bottom} - r.top; }

}  // namespace

// Fore and back colours are not applied: the only callers copy under black on
// white, where colourising changes nothing.
void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
              const Rect* dstRect, SInt16 mode, RgnHandle) {
    if (!srcBits || !dstBits || !srcRect || !dstRect || mode != srcCopy) return;
    if (!srcBits->baseAddr || !dstBits->baseAddr) return;
    mv::ScaleJob job{};
    job.src = reinterpret_cast<const std::uint8_t*>(srcBits->baseAddr);
    job.srcRowBytes = srcBits->rowBytes;
    job.srcWidth = Width(srcBits->bounds);
    job.srcHeight = Height(srcBits->bounds);
    job.dst = reinterpret_cast<std::uint8_t*>(dstBits->baseAddr);
    job.dstRowBytes = dstBits->rowBytes;
    job.dstWidth = Width(dstBits->bounds);
    job.dstHeight = Height(dstBits->bounds);
    job.cropX = srcRect->left - srcBits->bounds.left;
    job.cropY = srcRect->top - srcBits->bounds.top;
    job.cropW = Width(*srcRect);
    job.cropH = Height(*srcRect);
    job.destX = dstRect->left - dstBits->bounds.left;
    job.destY = dstRect->top - dstBits->bounds.top;
    job.destW = Width(*dstRect);
    job.destH = Height(*dstRect);
    // Into the current port, only within its clip: the destination narrowed to
    // the clip, the copy's place in it moved along, so every sample stays.
    GrafPtr port = nullptr;
    GetPort(&port);
    if (port && dstBits == &port->portBits) {
        const Rect& b = dstBits->bounds;
        const Rect& c = port->clipRect;
        const int left = std::max(0, c.left - b.left), top = std::max(0, c.top - b.top);
        const int right = std::min(job.dstWidth, c.right - b.left), bottom = std::min(job.dstHeight, c.bottom - b.top);
        if (left >= right || top >= bottom) return;
        job.dst += static_cast<std::ptrdiff_t>(top) * job.dstRowBytes + static_cast<std::ptrdiff_t>(left) * 4;
        job.dstWidth = right - left;
        job.dstHeight = bottom - top;
        job.destX -= left;
        job.destY -= top;
    }
    mv::ScaleCopy(job);
}
