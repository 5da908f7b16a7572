// Inside the platform library only: whole-file reads and writes that never
// leave a half-written file behind.
#pragma once

#include "MacTypes.h"

#include <string>
#include <vector>

namespace mvfiles {

// Reads a regular file of at most limit bytes; mapReadErr when it is larger.
OSErr ReadWholeFile(const std::string& path, size_t limit, std::vector<UInt8>& bytes);

// Writes beside the path, flushes to the disk, then renames over it: the
// path holds the old or the new bytes, whole. Keeps an existing file's mode.
OSErr ReplaceFile(const std::string& path, const std::vector<UInt8>& bytes);

// Like ReplaceFile, but only where nothing exists at the path (dupFNErr).
OSErr CreateFile(const std::string& path, const std::vector<UInt8>& bytes);

}  // namespace mvfiles
