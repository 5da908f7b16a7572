// The configuration entry: the dialog's working state prepared around one
// frame of the clip, the first preview rendered, the dialog's control
// classes registered, the dialog run, and everything taken down again.
#include "config/PluginDefines.h"
#include "dialog/configdlghandler.h"
#include "dialog/controls/clipCTRL.h"
#include "dialog/controls/colorCTRL.h"
#include "dialog/controls/pictCTRL.h"
#include "engine/callPixelFX.h"
#include "engine/imageProcs.h"
#include "host/pascalFX.h"
#include "util/Diagnostics.h"

Boolean ConfigurePlugIn(void* theData, GWorldPtr theGW, HYPluginParams* params, SInt32 firstFrameIndex,
                     SInt32 numberOfFrames) {
    gTheConfig = static_cast<pluginDataPtr>(theData);
    gConfigWorkSpace.theConfig = gTheConfig;
    gConfigWorkSpace.sourceClip = theGW;
    gConfigWorkSpace.iMovieParams = params;
    gConfigWorkSpace.currFrameIndex = 0;
    gConfigWorkSpace.minFrameIndex = firstFrameIndex;
    if (numberOfFrames < 1) numberOfFrames = 1;
    gConfigWorkSpace.maxFrameIndex = numberOfFrames - 1;
    gConfigWorkSpace.activeRel = 1;

    const Rect theRect = GetPortRect(theGW);
    GWorldPtr theProcessed = AllocateRectGWorld(theRect);
    Assert(theProcessed, "Unable to allocate theProcessed in ConffigurePlug Init run");
    gConfigWorkSpace.theFXClip = theProcessed;
    Assert(theData, "uninited theData in Configure master proc. need to call init before calling me");
    CallPixelEffect(theGW, theProcessed);

    RegisterColorBox();
    RegisterClipCtrl();
    RegisterPictureControl();
    // False only where OK was chosen and its settings could not be written.
    const Boolean nothingUnsaved = DoConfig(gTheConfig);
    UnregisterClipCtrl();
    UnregisterColorBox();
    UnregisterPictureControl();

    DisposeGWorld(gConfigWorkSpace.theFXClip);
    gConfigWorkSpace.theFXClip = nullptr;
    return nothingUnsaved;
}
