#include "host/CustomButtons.h"

#include "config/PluginDefines.h"
#include "config/prefsloader.h"
#include "system/Files.h"
#include "host/HostGlobals.h"
#include "host/pascalFX.h"

namespace {

void DialogFrameSize(SInt16 mediaFormat, SInt16& width, SInt16& height) {
    switch (mediaFormat) {
    case cMediaPAL: width = 720, height = 576; break;
    case cMediaHD: width = 960, height = 540; break;
    default: width = 720, height = 480; break;
    }
}

}  // namespace

HYPluginResult CustomButtons(SInt16, HYPluginParams* params) {
    if (!params->procs->GetFrame || !params->procs->ReleaseFrame) return kPluginBadParams;
    const SInt32 frame = params->renderFrame + gMostRecentStartFrame;
    SInt16 width, height;
    DialogFrameSize(GetMediaFormat(gPascalData), width, height);
    GWorldPtr theGW = nullptr;
    SInt16 volume = 0;
    void* cookie = nullptr;
    const HYPluginResult fetched =
        params->procs->GetFrame(params->instance, frame, &theGW, width, height, kDVHighQuality, &volume, &cookie);
    // Without the frame there is nothing to preview: the host hears why, and no
    // dialog opens on an image that is not there.
    if (fetched != kPluginOK || !theGW) {
        params->procs->ReleaseFrame(params->instance, cookie);
        return fetched != kPluginOK ? fetched : static_cast<HYPluginResult>(kPluginFailed);
    }
    const Boolean nothingUnsaved = ConfigurePlugIn(gPascalData, theGW, params, frame, gMostRecentFrameCount);
    params->procs->ReleaseFrame(params->instance, cookie);
    // The user was told in the dialog why the settings were not saved; the
    // host hears it too: a full disk as such, anything else (a folder that is
    // not ours, a read-only disk) as a failure.
    if (nothingUnsaved) return kPluginOK;
    return static_cast<HYPluginResult>(SaveConfigError() == dskFulErr ? kPluginOutOfDiskSpace : kPluginFailed);
}
