#include "system/BundleLocator.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace mvbundle {

namespace {

constexpr std::string_view kBundleSuffix = ".bundle";
constexpr std::string_view kLibraryDir = "/Contents/Linux/";

std::string Canonical(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string Trimmed(std::string text)
{
    const auto notSpace = [](unsigned char c) { return c != ' ' && c != '\t' && c != '\r'; };
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notSpace));
    text.erase(std::find_if(text.rbegin(), text.rend(), notSpace).base(), text.end());
    return text;
}

int CollectLibrary(dl_phdr_info* info, size_t, void* data)
{
    auto& paths = *static_cast<std::vector<std::string>*>(data);
    if (info->dlpi_name && info->dlpi_name[0] != '\0')
        paths.emplace_back(info->dlpi_name);
    return 0;
}

} // namespace

std::string RootOfLibrary(const std::string& libraryPath)
{
    const std::string path = Canonical(libraryPath);
    const size_t dir = path.rfind(kLibraryDir);
    if (dir == std::string::npos || dir < kBundleSuffix.size())
        return {};
    const std::string fileName = path.substr(dir + kLibraryDir.size());
    const std::string root = path.substr(0, dir);
    if (fileName.empty() || fileName.find('/') != std::string::npos ||
        !root.ends_with(kBundleSuffix))
        return {};
    // Only the executable the bundle names speaks for it.
    const auto info = ReadInfo(root);
    const auto executable = info.find("CFBundleExecutable");
    return executable != info.end() && executable->second == fileName ? root : std::string();
}

std::string RootOfAddress(const void* address)
{
    Dl_info info{};
    if (!address || dladdr(address, &info) == 0 || !info.dli_fname)
        return {};
    return RootOfLibrary(info.dli_fname);
}

std::vector<std::string> LoadedRoots()
{
    std::vector<std::string> libraries;
    dl_iterate_phdr(CollectLibrary, &libraries);
    std::vector<std::string> roots;
    for (const auto& library : libraries) {
        std::string root = RootOfLibrary(library);
        if (!root.empty() && std::find(roots.begin(), roots.end(), root) == roots.end())
            roots.push_back(std::move(root));
    }
    return roots;
}

std::map<std::string, std::string> ReadInfo(const std::string& root)
{
    std::ifstream file(root + "/Contents/Info");
    return ParseInfo(file);
}

std::map<std::string, std::string> ParseInfo(std::istream& text)
{
    std::map<std::string, std::string> entries;
    std::string line;
    while (std::getline(text, line)) {
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos)
            continue;
        entries.emplace(Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)));
    }
    return entries;
}

std::string ResourcesDir(const std::string& root) { return root + "/Contents/Resources"; }

} // namespace mvbundle
