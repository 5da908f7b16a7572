#include "host/iMovieGlue.h"

namespace {

constexpr SInt32 cLowQualityMaxHeight = 259;

}  // namespace

HYRefDVQuality FrameQuality(const HYPluginParams* params, SInt32 height) {
    return (params->proxyOnly && height <= cLowQualityMaxHeight) ? kDVLowQuality : kDVHighQuality;
}

SInt16 GetFrameIntoGW(GWorldPtr theGW, HYPluginParams* params, SInt32 frameIndex, SInt16) {
    Rect bounds;
    GetPortBounds(theGW, &bounds);
    const SInt32 w = bounds.right - bounds.left;
    const SInt32 h = bounds.bottom - bounds.top;
    if (__builtin_add_overflow(frameIndex, params->startFrame, &frameIndex) || frameIndex < 0) return -1;
    const HYRefDVQuality quality = FrameQuality(params, h);

    HYProcs* procs = params->procs;
    GWorldPtr theClip = nullptr;
    SInt16 volume = 0;
    void* cookie = nullptr;
    SInt16 result = procs->GetFrame(params->instance, frameIndex, &theClip, static_cast<SInt16>(w),
                                    static_cast<SInt16>(h), quality, &volume, &cookie);
    if (theClip != nullptr) {
        Rect clipBounds;
        GetPortBounds(theClip, &clipBounds);
        PixMapHandle from = GetGWorldPixMap(theClip);
        PixMapHandle to = GetGWorldPixMap(theGW);
        const GWorldFlags fromState = GetPixelsState(from);
        const GWorldFlags toState = GetPixelsState(to);
        LockPixels(from);
        LockPixels(to);
        CopyBits(GetPortBitMapForCopyBits(theClip), GetPortBitMapForCopyBits(theGW), &clipBounds, &bounds,
                 srcCopy, nullptr);
        SetPixelsState(to, toState);
        SetPixelsState(from, fromState);
        result = procs->ReleaseFrame(params->instance, cookie);
    }
    return result;
}
