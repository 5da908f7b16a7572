// The plug-in's one entry point for the host, and the dispatch on the
// host's selector.
#include "host/CustomButtons.h"
#include "host/EffectGetInfos.h"
#include "host/EffectRender.h"
#include "host/HostGlobals.h"
#include "host/pascalFX.h"

namespace {

HYPluginResult Dispatch(SInt16 which, HYPluginParams* params)
{
    switch (params->selector) {
    case kPlugGetInfo: return EffectGetInfos(which, params);
    case kPlugInitialize: return EffectBegins(which, params);
    case kPlugFilePlaceHolder: return MakeEffectPlaceHolders(which, params);
    case kPlugDoFrame: return EffectDrives(which, params);
    case kPlugTerminate: return EffectEnds(which, params);
#ifdef MV_WITH_DIALOG
    case kPlugCustomButtonClick: return CustomButtons(which, params);
#else
    // A build without the windowing toolkit has no dialog to show.
    case kPlugCustomButtonClick: return kPluginUnimplemented;
#endif
    default: return kPluginOK;
    }
}

// A block the host cannot have meant: nothing may be touched before these pass.
HYPluginResult CheckParams(const HYPluginParams* params)
{
    if (!params)
        return kPluginBadParams;
    if (params->interfaceVersion <= 3)
        return kPluginAppIsTooOld;
    if (!params->procs || (!gPascalData && !params->procs->NewPtrClear))
        return kPluginBadParams;
    return kPluginOK;
}

void InitOnFirstCall(const HYPluginParams* params)
{
    if (!gPascalInited) {
        InitPascal();
        gPascalInited = true;
    }
    if (!gPascalData) {
        UInt32 size = 0;
        pGetConfigSize(&size);
        gPascalData = static_cast<pluginDataPtr>(params->procs->NewPtrClear(size));
        InitMyPlugIn(gPascalData);
    }
}

} // namespace

// C++ reserves the name main for the program's own; the host looks the
// symbol up by that name, so the function carries it as its assembler label.
extern "C" MV_API int PluginMain(SInt16 which, HYPluginParams* params) __asm__("main");

int PluginMain(SInt16 which, HYPluginParams* params)
{
    if (const HYPluginResult refusal = CheckParams(params); refusal != kPluginOK)
        return refusal;
    InitOnFirstCall(params);
    return Dispatch(which, params);
}
