// The render run: initialise, render frame after frame, terminate; and the
// placeholder frame rendered by one whole run.
#pragma once

#include "hyplugin/HYPlugin.h"

HYPluginResult EffectBegins(SInt16 which, HYPluginParams* params);
HYPluginResult EffectDrives(SInt16 which, HYPluginParams* params);
HYPluginResult EffectEnds(SInt16 which, HYPluginParams* params);
HYPluginResult MakeEffectPlaceHolders(SInt16 which, HYPluginParams* params);
