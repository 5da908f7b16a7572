#include "system/FileRegistry.h"

#include "system/CFString.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

namespace mvfiles {
namespace {

constexpr SInt32 kFirstID = 1000;
constexpr UInt32 kRefTag = MV_FOURCC('M', 'V', 'F', 'R');

std::mutex lgMutex;
std::vector<std::string> lgPaths;

SInt32 IDOf(const std::string& path) {
    std::lock_guard lock(lgMutex);
    for (size_t i = 0; i < lgPaths.size(); ++i) {
        if (lgPaths[i] == path) return kFirstID + static_cast<SInt32>(i);
    }
    lgPaths.push_back(path);
    return kFirstID + static_cast<SInt32>(lgPaths.size() - 1);
}

std::optional<std::string> PathOfID(SInt32 id) {
    std::lock_guard lock(lgMutex);
    if (id < kFirstID || id - kFirstID >= static_cast<SInt32>(lgPaths.size())) return std::nullopt;
    return lgPaths[static_cast<size_t>(id - kFirstID)];
}

}  // namespace

std::string UTF8NameOf(ConstStr255Param name) {
    CFStringRef text = CFStringCreateWithPascalString(kCFAllocatorDefault, name, kCFStringEncodingMacRoman);
    if (!text) return {};
    std::string utf8(static_cast<size_t>(CFStringGetLength(text)) * 4 + 1, '\0');
    CFStringGetCString(text, utf8.data(), static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8);
    CFRelease(text);
    utf8.resize(std::strlen(utf8.c_str()));
    return utf8;
}

std::string PathOfSpec(const FSSpec& spec) {
    const auto folder = PathOfID(spec.parID);
    if (!folder) return {};
    return *folder + "/" + UTF8NameOf(spec.name);
}

SInt32 DirIDOf(const std::string& path) { return IDOf(path); }

std::optional<std::string> PathOfDirID(SInt32 dirID) { return PathOfID(dirID); }

void MakeRef(const std::string& path, FSRef& ref) {
    std::memset(&ref, 0, sizeof ref);
    const UInt32 tag = kRefTag;
    const SInt32 id = IDOf(path);
    std::memcpy(ref.hidden, &tag, sizeof tag);
    std::memcpy(ref.hidden + sizeof tag, &id, sizeof id);
}

std::optional<std::string> PathOfRef(const FSRef& ref) {
    UInt32 tag;
    SInt32 id;
    std::memcpy(&tag, ref.hidden, sizeof tag);
    std::memcpy(&id, ref.hidden + sizeof tag, sizeof id);
    if (tag != kRefTag) return std::nullopt;
    return PathOfID(id);
}

OSErr ErrorOfErrno(int error) {
    switch (error) {
    case ENOENT: return fnfErr;
    case ENOTDIR: return dirNFErr;
    case EACCES:
    case EPERM: return permErr;
    case EROFS: return wPrErr;
    case ENOSPC:
    case EDQUOT: return dskFulErr;
    case EEXIST: return dupFNErr;
    case EISDIR: return notAFileErr;
    case ENOTEMPTY:
    case EBUSY: return fBsyErr;
    case ENAMETOOLONG: return bdNamErr;
    case ENOMEM: return memFullErr;
    default: return ioErr;
    }
}

}  // namespace mvfiles
