// The temporary outputs that exist at this moment, so that a process ended
// from outside the normal path (a signal, the plug-in's fatal stop) can
// remove them before it goes.
#pragma once

#include <filesystem>

namespace mv {

void rememberTemporary(const std::filesystem::path& path);
void forgetTemporary(const std::filesystem::path& path);
// Removes every remembered file or folder; safe from any thread, and more
// than once.
void removeTemporaries();

}  // namespace mv
