#include "BundleCopy.h"

#include "memory/MacMemory.h"

#include <dlfcn.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

namespace bundletest {

fs::path BuiltBundle() { return MV_BUNDLE_DIR; }

TempDir::TempDir(const std::string& prefix)
{
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = buffer.data();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

BundleCopy::BundleCopy(const std::string& folderName)
{
    const fs::path folder = dir_.path() / fs::path(folderName);
    fs::create_directories(folder);
    bundle_ = folder / "Morva Telle.bundle";
    fs::copy(BuiltBundle(), bundle_, fs::copy_options::recursive);
    const fs::path library = bundle_ / "Contents" / "Linux" / "morvatelle.so";
    handle_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        throw std::runtime_error(std::string("dlopen: ") + dlerror());
}

BundleCopy::~BundleCopy()
{
    if (handle_)
        dlclose(handle_);
    for (void* block : Counters().liveBlocks)
        DisposePtr(static_cast<Ptr>(block));
    Counters().liveBlocks.clear();
}

void* BundleCopy::Symbol(const char* name) const { return dlsym(handle_, name); }

HostCounters& Counters()
{
    static HostCounters counters;
    return counters;
}

namespace {

void* HostNewPtrClear(UInt32 size)
{
    HostCounters& counters = Counters();
    ++counters.newPtrClearCalls;
    counters.lastSize = size;
    if (counters.failNewPtrClear)
        return nullptr;
    Ptr block = NewPtrClear(static_cast<Size>(size));
    counters.liveBlocks.insert(block);
    return block;
}

void HostDisposePtr(void* block)
{
    ++Counters().disposePtrCalls;
    Counters().liveBlocks.erase(block);
    DisposePtr(static_cast<Ptr>(block));
}

void* HostNewPtr(UInt32 size) { return NewPtr(static_cast<Size>(size)); }

} // namespace

HYProcs MakeHostProcs()
{
    for (void* block : Counters().liveBlocks)
        DisposePtr(static_cast<Ptr>(block));
    Counters() = HostCounters{};
    HYProcs procs{};
    procs.NewPtr = HostNewPtr;
    procs.NewPtrClear = HostNewPtrClear;
    procs.DisposePtr = HostDisposePtr;
    return procs;
}

HYPluginParams MakeParams(HYProcs* procs, HYPluginSelector selector, SInt16 interfaceVersion)
{
    HYPluginParams params{};
    params.interfaceVersion = interfaceVersion;
    params.selector = selector;
    params.procs = procs;
    return params;
}

} // namespace bundletest
