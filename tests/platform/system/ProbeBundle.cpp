#include "ProbeBundle.h"

#include "system/TextUtils.h"

#include <dlfcn.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace probetest {

namespace {

void WriteFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string Text(const Str255 text) { return std::string(reinterpret_cast<const char*>(text + 1), text[0]); }

} // namespace

ProbeBundle::ProbeBundle(const fs::path& folder, const std::string& name,
                         const std::string& identifier, const StringLists& lists,
                         const std::string& executable)
    : root_(folder / (name + ".bundle"))
{
    WriteFile(root_ / "Contents/Info", "# test bundle\nCFBundleIdentifier = " + identifier +
                                           "\nCFBundleExecutable = " + executable + "\n");
    const fs::path library = root_ / "Contents/Linux/probe.so";
    fs::create_directories(library.parent_path());
    fs::copy_file(MV_PROBE_LIBRARY, library);
    for (const auto& [listID, items] : lists) {
        std::string text;
        for (const std::string& item : items)
            text += item + "\n";
        WriteFile(root_ / "Contents/Resources/strings" / (std::to_string(listID) + ".txt"), text);
    }
    handle_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        throw std::runtime_error(std::string("dlopen: ") + dlerror());
    probe_ = reinterpret_cast<UInt8 (*)(Str255, SInt16, SInt16)>(dlsym(handle_, "ProbeGetIndString"));
}

ProbeBundle::~ProbeBundle()
{
    if (handle_)
        dlclose(handle_);
}

std::string ProbeBundle::IndString(SInt16 listID, SInt16 index) const
{
    Str255 text = {7, 's', 't', 'a', 'l', 'e', '!', '!'};
    probe_(text, listID, index);
    return Text(text);
}

std::string HostIndString(SInt16 listID, SInt16 index)
{
    Str255 text = {7, 's', 't', 'a', 'l', 'e', '!', '!'};
    GetIndString(text, listID, index);
    return Text(text);
}

namespace {

struct ScratchFolder {
    fs::path path = fs::temp_directory_path() / ("mvprobe-" + std::to_string(getpid()));
    ~ScratchFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

} // namespace

fs::path NewFolder(const std::string& name)
{
    static const ScratchFolder scratch;
    const fs::path folder = scratch.path / name;
    fs::create_directories(folder);
    return folder;
}

} // namespace probetest
