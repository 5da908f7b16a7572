// The built bundle loaded the way a host loads it, from a private copy so
// that every test starts with the plug-in's globals fresh.
#pragma once

#include "hyplugin/HYPlugin.h"

#include <filesystem>
#include <set>
#include <string>

namespace bundletest {

std::filesystem::path BuiltBundle();

// A new empty folder under the system's temporary folder, removed by its owner.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "mvtest");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class BundleCopy {
public:
    // The bundle is copied to <temp>/<folderName>/Morva Telle.bundle and opened.
    explicit BundleCopy(const std::string& folderName = "Plug-ins");
    ~BundleCopy();
    BundleCopy(const BundleCopy&) = delete;
    BundleCopy& operator=(const BundleCopy&) = delete;

    const std::filesystem::path& path() const { return bundle_; }
    void* Symbol(const char* name) const;
    template <typename F> F Function(const char* name) const
    {
        return reinterpret_cast<F>(Symbol(name));
    }
    HYPluginEntryProc Main() const { return Function<HYPluginEntryProc>("main"); }

private:
    TempDir dir_;
    std::filesystem::path bundle_;
    void* handle_ = nullptr;
};

// Callbacks of a host whose memory goes through the platform Memory Manager;
// the counters start at zero for every table made. Like a host unloading a
// plug-in, a BundleCopy frees at its end what the plug-in kept for good.
struct HostCounters {
    int newPtrClearCalls = 0;
    int disposePtrCalls = 0;
    UInt32 lastSize = 0;
    bool failNewPtrClear = false;
    std::set<void*> liveBlocks;
};
HostCounters& Counters();
HYProcs MakeHostProcs();

// A block as a host fills it before a call.
HYPluginParams MakeParams(HYProcs* procs, HYPluginSelector selector, SInt16 interfaceVersion = 4);

} // namespace bundletest
