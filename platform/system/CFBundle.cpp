#include "system/CFBundle.h"

#include "system/BundleLocator.h"
#include "system/CFRuntime.h"

#include <sys/stat.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

struct __CFBundle : MVCFObject {
    std::string root;
    CFStringRef identifier = nullptr;
    ~__CFBundle() override
    {
        if (identifier)
            CFRelease(identifier);
    }
};

namespace {

// Bundles are never unmade, not even at exit: references handed out stay
// valid for the life of the process.
std::map<std::string, __CFBundle*>& Bundles()
{
    static auto* bundles = new std::map<std::string, __CFBundle*>;
    return *bundles;
}
std::mutex gBundlesLock;

__CFBundle* BundleAt(const std::string& root, const std::string& identifier)
{
    std::lock_guard lock(gBundlesLock);
    __CFBundle*& bundle = Bundles()[root];
    if (!bundle) {
        bundle = new __CFBundle;
        bundle->root = root;
        bundle->identifier =
            CFStringCreateWithCString(kCFAllocatorDefault, identifier.c_str(), kCFStringEncodingUTF8);
    }
    return bundle;
}

std::string Utf8Text(CFStringRef text)
{
    // A code point takes at most four bytes in UTF-8.
    std::vector<char> buffer(static_cast<size_t>(CFStringGetLength(text)) * 4 + 1);
    if (!CFStringGetCString(text, buffer.data(), static_cast<CFIndex>(buffer.size()),
                            kCFStringEncodingUTF8))
        return {};
    return buffer.data();
}

} // namespace

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID)
{
    if (!bundleID)
        return nullptr;
    const std::string wanted = Utf8Text(bundleID);
    if (wanted.empty())
        return nullptr;
    for (const std::string& root : mvbundle::LoadedRoots()) {
        const auto info = mvbundle::ReadInfo(root);
        const auto identifier = info.find("CFBundleIdentifier");
        if (identifier != info.end() && identifier->second == wanted)
            return BundleAt(root, wanted);
    }
    return nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
    return bundle ? bundle->identifier : nullptr;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName)
{
    if (!bundle || !resourceName)
        return nullptr;
    const std::string name = Utf8Text(resourceName);
    const std::string type = resourceType ? Utf8Text(resourceType) : std::string();
    const std::string subDir = subDirName ? Utf8Text(subDirName) : std::string();
    if (name.empty())
        return nullptr;
    std::string path = mvbundle::ResourcesDir(bundle->root) + "/";
    if (!subDir.empty())
        path += subDir + "/";
    path += type.empty() ? name : name + "." + type;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return nullptr;
    return CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault,
                                                   reinterpret_cast<const UInt8*>(path.data()),
                                                   static_cast<CFIndex>(path.size()),
                                                   S_ISDIR(info.st_mode));
}
