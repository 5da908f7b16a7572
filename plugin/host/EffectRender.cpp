// The render run: one clip from the host's initialise call through frame after
// frame to its terminate call, and the placeholder frame made by a whole run.
#include "host/EffectRender.h"

#include <cmath>

#include "host/DoEffect.h"
#include "host/iMovieGlue.h"
#include "host/HostGlobals.h"
#include "host/pascalFX.h"
#include "engine/callPixelFX.h"
#include "quickdraw/QuickDraw.h"

// The run block kept in clientData for one clip.
struct EffectData {
    SInt32 frameCount;
    SInt32 effectSourceCount;
    float sliderValues[kHYFilterSliderCount];
    SInt32 fadeInFrames;
    SInt32 fadeOutFrames;
    GWorldPtr effectGWorld;
    pluginDataPtr pascalData;
};
#if defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4
static_assert(sizeof(EffectData) == 36, "the run block is 36 bytes with 32-bit pointers");
#endif

namespace {

EffectData* RunData(HYPluginParams* params) {
    return static_cast<EffectData*>(params->clientData);
}

// Locks a buffer's pixels for the length of a transfer; the earlier state is
// put back by UnlockFrame.
GWorldFlags LockFrame(GWorldPtr theGW) {
    PixMapHandle pm = GetGWorldPixMap(theGW);
    const GWorldFlags state = GetPixelsState(pm);
    LockPixels(pm);
    return state;
}

void UnlockFrame(GWorldPtr theGW, GWorldFlags state) {
    SetPixelsState(GetGWorldPixMap(theGW), state);
}

// Plain copy: scaled when the rectangles differ, no blending, no mask.
void PlainCopy(GWorldPtr from, const Rect& fromRect, GWorldPtr to, const Rect& toRect) {
    const GWorldFlags fromState = LockFrame(from);
    const GWorldFlags toState = LockFrame(to);
    CopyBits(GetPortBitMapForCopyBits(from), GetPortBitMapForCopyBits(to), &fromRect, &toRect, srcCopy,
             nullptr);
    UnlockFrame(to, toState);
    UnlockFrame(from, fromState);
}

Rect ZeroBased(Rect r) {
    OffsetRect(&r, static_cast<SInt16>(-r.left), static_cast<SInt16>(-r.top));
    return r;
}

Rect BoundsOf(GWorldPtr theGW) {
    Rect r;
    GetPortBounds(theGW, &r);
    return r;
}

// Both fades fit in half the clip each; a lone fade fits in the whole clip.
void LimitFades(EffectData* data, SInt32 frameCount) {
    if (data->fadeInFrames != 0 && data->fadeOutFrames != 0) {
        const SInt32 half = frameCount / 2;
        if (data->fadeInFrames > half) data->fadeInFrames = half;
        if (data->fadeOutFrames > half) data->fadeOutFrames = half;
    } else {
        if (data->fadeInFrames > frameCount) data->fadeInFrames = frameCount;
        if (data->fadeOutFrames > frameCount) data->fadeOutFrames = frameCount;
    }
}

bool IsFadingFrame(const EffectData* data, SInt32 r, SInt32 n) {
    const SInt32 fi = data->fadeInFrames;
    const SInt32 fo = data->fadeOutFrames;
    return (fi > 0 || fo != 0) && (r < fi || static_cast<SInt64>(r) > static_cast<SInt64>(n) - fo);
}

// Opacity of the untouched frame laid over the rendered one. Frames inside
// the clip always give 0 <= t <= 1; a frame past its end (or a fade-out of
// 0 there) is held to the nearest end of the scale rather than converted
// out of range.
SInt16 FadeOpacity(const EffectData* data, SInt32 r, SInt32 n) {
    double t = 0.0;
    if (r < data->fadeInFrames) {
        t = static_cast<double>(r) / data->fadeInFrames;
    } else if (data->fadeOutFrames != 0) {
        t = static_cast<double>(static_cast<SInt64>(n) - r) / data->fadeOutFrames;
    }
    const double opacity = (1.0 - t) * 255.0;
    if (!(opacity > 0.0)) return 0;
    if (opacity > 255.0) return 255;
    return static_cast<SInt16>(opacity);
}

void ReleaseRunConfig(HYPluginParams* params, EffectData* data) {
    if (data->pascalData == nullptr) return;
    pUncopyConfig(data->pascalData);
    params->procs->DisposePtr(data->pascalData);
    data->pascalData = nullptr;
}

// Gives back everything a run holds: its work image, its configuration copy
// and the run block itself.
void ReleaseRun(HYPluginParams* params) {
    EffectData* data = RunData(params);
    if (data == nullptr) return;
    if (data->effectGWorld != nullptr) DisposeGWorld(data->effectGWorld);
    data->effectGWorld = nullptr;
    ReleaseRunConfig(params, data);
    params->procs->DisposePtr(data);
    params->clientData = nullptr;
}

void ApplyLineArtEffect(GWorldPtr sourceFrame, GWorldPtr targetFrame, HYPluginParams* params) {
    EffectData* data = RunData(params);
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(targetFrame, nullptr);
    SInt16 opacity = 255;
    DoEffect(data->pascalData, params, sourceFrame, targetFrame, params->renderFrame, data->fadeInFrames,
             data->fadeOutFrames, params->frameCount, data->sliderValues[0], data->sliderValues[1],
             data->sliderValues[2], &opacity);
    SetGWorld(savedPort, savedDevice);
}

// Whether the work image would have the output frame's size and place, so
// that the output frame can be the work image.
bool FrameIsWorkImage(GWorldPtr sourceFrame, const HYPluginParams* params, const Rect& bounds) {
    if (params->frame == sourceFrame) return false;  // the render reads its source while it draws
    const Rect frameBounds = BoundsOf(params->frame);
    return EqualRect(&params->frameRect, &bounds) && EqualRect(&frameBounds, &bounds);
}

HYPluginResult ApplyEffect(GWorldPtr sourceFrame, HYPluginParams* params) {
    EffectData* data = RunData(params);
    const Rect bounds = ZeroBased(BoundsOf(sourceFrame));
    // The course's scaled copy draws over the whole work image wherever its
    // region has an area; only where it has none does the source copied
    // in first show.
    const bool covered = CourseCoversFrame(data->pascalData, bounds, BoundsOf(sourceFrame), params->renderFrame,
                                           params->frameCount);
    if (FrameIsWorkImage(sourceFrame, params, bounds)) {
        // Rendered in the output frame itself: no work image to copy out of.
        if (!covered) PlainCopy(sourceFrame, bounds, params->frame, bounds);
        ApplyLineArtEffect(sourceFrame, params->frame, params);
        return kPluginOK;
    }
    data->effectGWorld = nullptr;
    const QDErr status = NewGWorld(&data->effectGWorld, 32, &bounds, nullptr, nullptr, 0);
    if (status == noErr) {
        if (!covered) PlainCopy(sourceFrame, bounds, data->effectGWorld, bounds);
        ApplyLineArtEffect(sourceFrame, data->effectGWorld, params);
        PlainCopy(data->effectGWorld, bounds, params->frame, params->frameRect);
    }
    if (data->effectGWorld != nullptr) DisposeGWorld(data->effectGWorld);
    data->effectGWorld = nullptr;
    if (status == noErr) return kPluginOK;
    return status == memFullErr ? kPluginOutOfMemory : kPluginFailed;
}

}  // namespace

HYPluginResult EffectBegins(SInt16, HYPluginParams* params) {
    HYProcs* procs = params->procs;
    const bool newBlock = params->clientData == nullptr;
    if (newBlock) {
        params->clientData = procs->NewPtrClear(sizeof(EffectData));
        if (params->clientData == nullptr) return kPluginOutOfMemory;
    }
    EffectData* data = RunData(params);

    // A second initialise on an open run replaces its copy; the old one is
    // released rather than lost.
    ReleaseRunConfig(params, data);
    UInt32 configSize = 0;
    pGetConfigSize(&configSize);
    data->pascalData = static_cast<pluginDataPtr>(procs->NewPtrClear(configSize));
    if (data->pascalData == nullptr) {
        // Without its copy the run could only stop the host later; refuse it now.
        if (newBlock) {
            procs->DisposePtr(params->clientData);
            params->clientData = nullptr;
        }
        return kPluginOutOfMemory;
    }
    pCopyConfig(gPascalData, data->pascalData);
    data->effectSourceCount = 1;

    HYPluginFilterInfo* filterInfo = nullptr;
    const HYPluginResult result = procs->GetFilterInfo(params->instance, &filterInfo);
    if (filterInfo != nullptr) {
        data->fadeInFrames = filterInfo->fadeInFrames;
        data->fadeOutFrames = filterInfo->fadeOutFrames;
        for (int i = 0; i < kHYFilterSliderCount; ++i) data->sliderValues[i] = filterInfo->sliderValues[i];
        procs->ReleaseFilterInfo(params->instance, filterInfo);
    }
    LimitFades(data, params->frameCount);
    data->effectGWorld = nullptr;
    return result;
}

HYPluginResult EffectDrives(SInt16, HYPluginParams* params) {
    EffectData* data = RunData(params);
    if (data == nullptr || params->frame == nullptr) return kPluginBadParams;
    HYProcs* procs = params->procs;

    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(params->frame, nullptr);

    const Rect frameRect = params->frameRect;
    const SInt32 width = frameRect.right - frameRect.left;
    const SInt32 height = frameRect.bottom - frameRect.top;
    SInt32 frame = -1;
    if (__builtin_add_overflow(params->startFrame, params->renderFrame, &frame)) frame = -1;
    gMostRecentStartFrame = params->startFrame;
    gMostRecentFrameCount = params->frameCount;

    HYPluginResult result = kPluginOK;
    QDErr status = noErr;
    void* cookie = nullptr;
    GWorldPtr gWorldOriginal = nullptr;
    if (frame >= 0) {
        GWorldPtr gWorldBefore = nullptr;
        SInt16 volume = 0;
        result = procs->GetFrame(params->instance, frame, &gWorldBefore, static_cast<SInt16>(width),
                                 static_cast<SInt16>(height), FrameQuality(params, height), &volume, &cookie);
        if (result == kPluginOK && gWorldBefore == nullptr) result = kPluginCantGetNeededFrame;
        if (result == kPluginOK) {
            const SInt32 r = params->renderFrame;
            const SInt32 n = params->frameCount;
            SInt16 opacity = 0;
            bool ready = true;
            if (IsFadingFrame(data, r, n)) {
                const Rect srcRect = ZeroBased(frameRect);
                status = NewGWorld(&gWorldOriginal, 32, &srcRect, nullptr, nullptr, 0);
                if (status != noErr) {
                    gWorldOriginal = nullptr;
                    ready = false;
                } else {
                    PlainCopy(gWorldBefore, srcRect, gWorldOriginal, srcRect);
                    opacity = FadeOpacity(data, r, n);
                }
            }
            if (ready) {
                result = ApplyEffect(gWorldBefore, params);
                // A frame that was never rendered gets nothing blended over
                // it: the failure stands.
                if (result == kPluginOK && gWorldOriginal != nullptr) {
                    const Rect beforeBounds = BoundsOf(gWorldBefore);
                    result = procs->Blit(GetGWorldPixMap(gWorldOriginal), GetGWorldPixMap(params->frame),
                                         &beforeBounds, &frameRect, opacity);
                }
                if (result == kPluginOK && !params->proxyOnly) result = procs->MixAudio(params->instance, cookie, 256);
            }
        }
    }

    // Every path gives the frame back, whatever went before.
    const HYPluginResult newResult = procs->ReleaseFrame(params->instance, cookie);
    if (result == kPluginOK) result = newResult;
    if (gWorldOriginal != nullptr) DisposeGWorld(gWorldOriginal);
    SetGWorld(savedPort, savedDevice);
    if (result == kPluginOK && status != noErr) result = kPluginFailed;
    return result;
}

HYPluginResult EffectEnds(SInt16, HYPluginParams* params) {
    ReleaseRun(params);
    return kPluginOK;
}

HYPluginResult MakeEffectPlaceHolders(SInt16 which, HYPluginParams* params) {
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(params->frame, nullptr);

    // The placeholder's run is private: a run the host may hold open in
    // clientData is neither reused nor freed under it.
    HYPluginParams newParams = *params;
    newParams.clientData = nullptr;
    newParams.renderFrame = newParams.getInfo.bestThumbOffset;
    newParams.selector = kPlugInitialize;
    HYPluginResult result = EffectBegins(which, &newParams);
    if (result == kPluginOK) {
        // A frame that could not be rendered is reported: the placeholder
        // would otherwise show whatever the host's image held.
        newParams.selector = kPlugDoFrame;
        result = EffectDrives(which, &newParams);
        newParams.selector = kPlugTerminate;
        EffectEnds(which, &newParams);
    } else {
        // A failed start may still have made its block, and only this copy
        // of the parameter block knows it.
        ReleaseRun(&newParams);
    }

    SetGWorld(savedPort, savedDevice);
    return result;
}
