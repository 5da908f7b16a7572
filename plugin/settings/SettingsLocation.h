// Where the plug-in keeps its settings file, as a path a user can read.
#pragma once

#include <string>

namespace settings {

// The settings file's path; the file is made (empty) if it is missing, as
// the plug-in makes it when it is loaded. Empty when the Preferences folder
// or the file cannot be had.
std::string SettingsFileLocation();

}  // namespace settings
