// Inside the platform library only: the bytes of a resource file.
#pragma once

#include "MacTypes.h"

#include <optional>
#include <string>
#include <vector>

namespace mvres {

struct ResourceEntry {
    ResType type = 0;
    ResID id = 0;
    UInt8 attributes = 0;
    bool hasName = false;
    std::string name;  // Mac Roman bytes, at most 255
    std::vector<UInt8> data;
};

// Larger files are refused: block offsets have 24 bits.
inline constexpr size_t kMaxResourceFileSize = 16u << 20;

// The resources of a file's bytes, in map order; nullopt for anything that
// is not a well-formed resource file. No bytes at all is an empty file.
std::optional<std::vector<ResourceEntry>> ParseResourceFile(const std::vector<UInt8>& bytes);

// The file's bytes, types in order of first appearance; nullopt when the
// resources do not fit the layout's offsets.
std::optional<std::vector<UInt8>> EncodeResourceFile(const std::vector<ResourceEntry>& entries);

}  // namespace mvres
