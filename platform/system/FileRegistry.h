// Inside the platform library only: the File Manager's bridge to paths.
// Folder ids and object references stand for paths kept in one table for
// the life of the process.
#pragma once

#include "system/Files.h"

#include <optional>
#include <string>

namespace mvfiles {

// The id of a folder path, the same for the same path.
SInt32 DirIDOf(const std::string& path);
std::optional<std::string> PathOfDirID(SInt32 dirID);

// Names are Mac Roman; the file system's are UTF-8.
std::string UTF8NameOf(ConstStr255Param name);

// The path an FSSpec names, "" when its folder is unknown.
std::string PathOfSpec(const FSSpec& spec);

void MakeRef(const std::string& path, FSRef& ref);
std::optional<std::string> PathOfRef(const FSRef& ref);

// Records type and creator beside the file; false where the file system
// keeps no extended attributes.
bool RecordFileType(const std::string& path, OSType fileType, OSType creator);

// Maps errno to the nearest File Manager error.
OSErr ErrorOfErrno(int error);

}  // namespace mvfiles
