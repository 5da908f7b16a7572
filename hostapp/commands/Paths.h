// Where the host finds its companions, and questions about files.
#pragma once

#include <filesystem>
#include <string>

namespace mv {

// The folder holding the running executable.
std::filesystem::path executableDir();
// The bundle built beside the host: ../Morva Telle.bundle from bin/.
std::filesystem::path defaultBundlePath();
// The plug-in's own settings tool, beside the host.
std::filesystem::path settingsToolPath();
// Whether two paths name the same existing file, through any links.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace mv
