// The effect's custom button: one frame of the clip at the media type's
// size, and the configuration dialog on it.
#pragma once

#include "hyplugin/HYPlugin.h"

HYPluginResult CustomButtons(SInt16 which, HYPluginParams* params);
