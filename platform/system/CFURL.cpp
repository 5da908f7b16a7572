#include "system/CFURL.h"

#include "system/CFRuntime.h"

#include <cstring>
#include <new>
#include <string>

struct __CFURL : MVCFObject {
    std::string path;
    bool isDirectory = false;
};

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer,
                                                 CFIndex bufLen, Boolean isDirectory)
{
    if (!buffer || bufLen <= 0)
        return nullptr;
    auto* url = new (std::nothrow) __CFURL;
    if (!url)
        return nullptr;
    url->path.assign(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen));
    url->isDirectory = isDirectory;
    return url;
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen)
{
    if (!url || !buffer || maxBufLen <= 0 || url->path.size() >= static_cast<size_t>(maxBufLen))
        return false;
    std::memcpy(buffer, url->path.c_str(), url->path.size() + 1);
    return true;
}

Boolean CFURLGetFSRef(CFURLRef url, FSRef* fsRef)
{
    if (!url || !fsRef)
        return false;
    return FSPathMakeRef(reinterpret_cast<const UInt8*>(url->path.c_str()), fsRef, nullptr) == noErr;
}
