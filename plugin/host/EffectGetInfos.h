// The plug-in's description for the host: type, flags, memory, the three
// host sliders, the custom button and the effect group.
#pragma once

#include "hyplugin/HYPlugin.h"

HYPluginResult EffectGetInfos(SInt16 which, HYPluginParams* params);
void SetFilterParamInfos(SInt16 which, HYPluginParams* params);
