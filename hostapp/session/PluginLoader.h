// Loads a plug-in bundle with dlopen and calls its entry point.
#pragma once

#include <string>

#include "hyplugin/HYPlugin.h"

namespace mv {

class Plugin {
public:
    // A bundle folder (its Contents/Linux library) or a shared library itself.
    explicit Plugin(const std::string& path);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    HYPluginResult call(HYPluginParams& params) const;
    const std::string& libraryPath() const { return library_; }

private:
    void* handle_ = nullptr;
    HYPluginEntryProc main_ = nullptr;
    std::string library_;
};

// "kPluginCantGetNeededFrame (7)" for a result code.
std::string resultName(int result);

}  // namespace mv
