#include "engine/callPixelFX.h"

#include <cmath>
#include <cstdint>

#include "engine/imageProcs.h"
#include "engine/lineEffect.h"

namespace {

// Frame arithmetic wraps at 32 bits, as it always has, without overflowing.
SInt32 Wrap32(std::int64_t v) { return static_cast<SInt32>(static_cast<std::uint32_t>(v)); }

SInt32 ShareFrames(SInt32 maxFrame, SInt16 slider) {
    const SInt32 product = Wrap32(std::int64_t{maxFrame} * slider);
    return static_cast<SInt32>(std::trunc(double(product) / 200.0));
}

}  // namespace

double CalcTweenEdge(double from, double to, double c, double frames) { return from + (c * (to - from)) / frames; }

relRect CalcTweenRel(SInt32 startFrameNum, SInt32 endFrameNum, SInt32 currFrameNum,
                     relRect sourceRel, relRect targetRel) {
    if (currFrameNum < startFrameNum) return sourceRel;
    if (currFrameNum > endFrameNum) return targetRel;
    // A span of no frames has nowhere to go: stay at the start.
    if (endFrameNum == startFrameNum) return sourceRel;
    const double frames = double(std::int64_t{endFrameNum} - startFrameNum);
    const double c = double(std::int64_t{currFrameNum} - startFrameNum);
    return relRect{CalcTweenEdge(sourceRel.left, targetRel.left, c, frames),
                   CalcTweenEdge(sourceRel.right, targetRel.right, c, frames),
                   CalcTweenEdge(sourceRel.top, targetRel.top, c, frames),
                   CalcTweenEdge(sourceRel.bottom, targetRel.bottom, c, frames)};
}

// The zoom-in test comes first, so overlapping shares zoom in fully before
// the zoom-out course takes over part-way along.
CourseLeg CalcCourseLeg(pluginDataPtr theConfig, SInt32 currentFrame, SInt32 maxFrame) {
    const SInt32 inFrames = ShareFrames(maxFrame, theConfig->sliders[0]);
    const SInt32 outFrames = ShareFrames(maxFrame, theConfig->sliders[1]);
    const SInt32 outStart = Wrap32(std::int64_t{maxFrame} - outFrames);
    relRect whole;
    InitRelRect(whole);
    const relRect start = theConfig->startRel;

    if (currentFrame < inFrames) return CourseLeg{0, inFrames, whole, start};
    if (outStart < currentFrame) return CourseLeg{outStart, maxFrame, start, whole};
    return CourseLeg{currentFrame, currentFrame, start, start};
}

Rect CalcTweenRect(pluginDataPtr theConfig, Rect theFrame, SInt32 currentFrame, SInt32 maxFrame) {
    const CourseLeg leg = CalcCourseLeg(theConfig, currentFrame, maxFrame);
    return Rel2Rect(CalcTweenRel(leg.startFrame, leg.endFrame, currentFrame, leg.from, leg.to), theFrame);
}

Boolean CourseCoversFrame(pluginDataPtr theConfig, Rect theFrame, Rect sourceBounds, SInt32 currentFrame,
                          SInt32 maxFrame) {
    Rect theRect = CalcTweenRect(theConfig, theFrame, currentFrame, maxFrame);
    CheckRect(theRect, sourceBounds);
    return theRect.right > theRect.left && theRect.bottom > theRect.top;
}

void DoPascalPixelEffect(GWorldPtr source, GWorldPtr dest, pluginDataPtr theConfig,
                         SInt32 currentFrameIndex, SInt32 maxFrames) {
    const Rect theFrame = GetPortRect(dest);
    const Rect theRect = CalcTweenRect(theConfig, theFrame, currentFrameIndex, maxFrames);
    PixelDrive(source, dest, theRect, theConfig, currentFrameIndex, maxFrames);
}

void CallPixelEffect(GWorldPtr source, GWorldPtr dest) {
    DoPascalPixelEffect(source, dest, gConfigWorkSpace.theConfig, gConfigWorkSpace.currFrameIndex,
                        gConfigWorkSpace.maxFrameIndex);
}

void PixelDrive(GWorldPtr source, GWorldPtr dest, Rect theRect, pluginDataPtr theConfig,
                SInt32 currentFrame, SInt32 numFrames) {
    TheLineEffect(source, dest, theRect, true, theConfig, currentFrame, numFrames);
}
