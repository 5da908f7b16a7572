// The settings file: the last accepted settings, kept between runs.
#pragma once

#include "config/PluginDefines.h"

Boolean SaveConfig(pluginDataPtr theConfig);
Boolean ReadConfig(pluginDataPtr theConfig);
void CreateConfigFile();
