#include "session/PluginLoader.h"

#include <dlfcn.h>

#include <filesystem>
#include <fstream>

#include "common/HostError.h"

namespace fs = std::filesystem;

namespace mv {

namespace {

// The executable named in Contents/Info ("key value" or "key=value" lines),
// else the one shared library in Contents/Linux.
fs::path bundleLibrary(const fs::path& bundle) {
    fs::path dir = bundle / "Contents" / "Linux";
    std::ifstream info(bundle / "Contents" / "Info");
    for (std::string line; std::getline(info, line);) {
        for (const char* key : {"CFBundleExecutable", "executable", "Executable"}) {
            if (line.rfind(key, 0) != 0) continue;
            std::string rest = line.substr(std::char_traits<char>::length(key));
            std::size_t from = rest.find_first_not_of(" \t=:\"");
            std::size_t to = rest.find_last_not_of(" \t\";\r");
            if (from != std::string::npos && to >= from) {
                fs::path candidate = dir / rest.substr(from, to - from + 1);
                if (fs::is_regular_file(candidate)) return candidate;
            }
        }
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.path().extension() == ".so") return entry.path();
    fail(bundle.string() + ": not a plug-in bundle (no library in Contents/Linux)");
}

}  // namespace

Plugin::Plugin(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) fail(path + ": no such bundle");
    fs::path library = fs::is_directory(path, ec) ? bundleLibrary(path) : fs::path(path);
    library_ = library.string();
    handle_ = dlopen(library_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) fail(std::string("cannot load the plug-in: ") + dlerror());
    main_ = reinterpret_cast<HYPluginEntryProc>(dlsym(handle_, "main"));
    if (!main_) {
        dlclose(handle_);
        fail(library_ + ": not a plug-in (it exports no entry point \"main\")");
    }
}

// The bundle stays loaded for the life of the process, as under the original
// host: its working record lives in its globals until then.
Plugin::~Plugin() = default;

HYPluginResult Plugin::call(HYPluginParams& params) const {
    return static_cast<HYPluginResult>(main_(0, &params));
}

std::string resultName(int result) {
    static const char* const names[] = {
        "kPluginOK",          "kPluginCancel",          "kPluginFinished",
        "kPluginBadParams",   "kPluginOutOfMemory",     "kPluginOutOfDiskSpace",
        "kPluginFailed",      "kPluginCantGetNeededFrame", "kPluginUnimplemented",
        "kPluginTryAgainLater", "kPluginAppIsTooOld",   "kPluginAppIsTooNew"};
    std::string name = result >= 0 && result < 12 ? names[result] : "an unknown result";
    return name + " (" + std::to_string(result) + ")";
}

}  // namespace mv
