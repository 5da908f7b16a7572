// The zoom course: which region of the frame a given frame shows, and the
// two entry points that render a frame for the host and for the preview.
#pragma once

#include "MacTypes.h"
#include "config/PluginDefines.h"
#include "engine/relRects.h"
#include "quickdraw/QuickDraw.h"

// The stretch of the course a frame lies on: from one region to another over
// startFrame..endFrame (a hold is a stretch of no frames that stays put).
struct CourseLeg {
    SInt32 startFrame, endFrame;
    relRect from, to;
};

// An edge c frames along a stretch of `frames` from `from` to `to`.
double CalcTweenEdge(double from, double to, double c, double frames);
relRect CalcTweenRel(SInt32 startFrameNum, SInt32 endFrameNum, SInt32 currFrameNum,
                     relRect sourceRel, relRect targetRel);
CourseLeg CalcCourseLeg(pluginDataPtr theConfig, SInt32 currentFrame, SInt32 maxFrame);
Rect CalcTweenRect(pluginDataPtr theConfig, Rect theFrame, SInt32 currentFrame, SInt32 maxFrame);
// Whether the frame's render draws over the whole of a destination the size
// of theFrame: it does wherever the course's region, held to the source,
// keeps an area.
Boolean CourseCoversFrame(pluginDataPtr theConfig, Rect theFrame, Rect sourceBounds, SInt32 currentFrame,
                          SInt32 maxFrame);
// source and dest have the same dimensions.
void DoPascalPixelEffect(GWorldPtr source, GWorldPtr dest, pluginDataPtr theConfig,
                         SInt32 currentFrameIndex, SInt32 maxFrames);
// Takes the configuration and frame position from gConfigWorkSpace.
void CallPixelEffect(GWorldPtr source, GWorldPtr dest);
void PixelDrive(GWorldPtr source, GWorldPtr dest, Rect theRect, pluginDataPtr theConfig,
                SInt32 currentFrame, SInt32 numFrames);
