// Test bundles made on the fly: a folder <name>.bundle with Info, the probe
// library and string lists, loaded with dlopen.
#pragma once

#include "MacTypes.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace probetest {

using StringLists = std::map<SInt16, std::vector<std::string>>;

class ProbeBundle {
public:
    // Made in `folder` (created), named `name`.bundle, holding `lists`.
    ProbeBundle(const std::filesystem::path& folder, const std::string& name,
                const std::string& identifier, const StringLists& lists,
                const std::string& executable = "probe.so");
    ~ProbeBundle();
    ProbeBundle(const ProbeBundle&) = delete;
    ProbeBundle& operator=(const ProbeBundle&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // GetIndString called from inside the bundle; the text without its length byte.
    std::string IndString(SInt16 listID, SInt16 index) const;

private:
    std::filesystem::path root_;
    void* handle_ = nullptr;
    UInt8 (*probe_)(Str255, SInt16, SInt16) = nullptr;
};

// GetIndString called from outside any bundle.
std::string HostIndString(SInt16 listID, SInt16 index);

// A fresh folder, removed with the test program's temporary files.
std::filesystem::path NewFolder(const std::string& name);

} // namespace probetest
