#include "host/DoEffect.h"

#include "engine/callPixelFX.h"
#include "util/Diagnostics.h"

void DoEffect(pluginDataPtr myConfig, HYPluginParams*, GWorldPtr theSource, GWorldPtr theTarget,
              SInt32 currentFrameIndex, SInt32, SInt32, SInt32 totalFrames, double, double, double,
              SInt16*) {
    Assert(myConfig, "uninited theData in Plugin Effect master proc. need to call init before calling me");
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    DoPascalPixelEffect(theSource, theTarget, myConfig, currentFrameIndex, totalFrames);
    SetGWorld(savedPort, savedDevice);
}
