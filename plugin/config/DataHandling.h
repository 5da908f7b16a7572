// Defaults of the configuration record and the rectangle being edited.
#pragma once

#include "config/PluginDefines.h"

void ResetConfig(pluginDataPtr theConfig, Boolean fullInit);
relRect GetCurrentRel();
void PutCurrentRel(relRect theRel);
