#include "system/Files.h"

#include "system/FileRegistry.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kFinderInfoAttr[] = "user.mv.finderinfo";

bool IsValidName(ConstStr255Param name) {
    if (!name || name[0] == 0 || name[0] > 63) return false;
    const std::string text(reinterpret_cast<const char*>(name + 1), name[0]);
    if (text == "." || text == "..") return false;
    return text.find_first_of(std::string("/:\0", 3)) == std::string::npos;
}

OSErr ErrorOfLastCall() { return mvfiles::ErrorOfErrno(errno); }

void PutBigEndian(UInt8* out, UInt32 value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<UInt8>(value >> (24 - 8 * i));
}

UInt32 GetBigEndian(const UInt8* in) {
    return (UInt32{in[0]} << 24) | (UInt32{in[1]} << 16) | (UInt32{in[2]} << 8) | UInt32{in[3]};
}

}  // namespace

namespace mvfiles {

bool RecordFileType(const std::string& path, OSType fileType, OSType creator) {
    UInt8 info[8];
    PutBigEndian(info, fileType);
    PutBigEndian(info + 4, creator);
    return setxattr(path.c_str(), kFinderInfoAttr, info, sizeof info, 0) == 0;
}

}  // namespace mvfiles

OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* spec) {
    if (!spec) return paramErr;
    if (vRefNum != 0 && vRefNum != kMVVolumeRefNum) return nsvErr;
    const auto folder = mvfiles::PathOfDirID(dirID);
    struct stat info;
    if (!folder || stat(folder->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return dirNFErr;
    if (!IsValidName(fileName)) return bdNamErr;
    spec->vRefNum = kMVVolumeRefNum;
    spec->parID = dirID;
    std::memset(spec->name, 0, sizeof spec->name);
    std::memcpy(spec->name, fileName, fileName[0] + 1u);
    return lstat(mvfiles::PathOfSpec(*spec).c_str(), &info) == 0 ? OSErr{noErr} : ErrorOfLastCall();
}

OSErr FSpDelete(const FSSpec* spec) {
    if (!spec) return paramErr;
    const std::string path = mvfiles::PathOfSpec(*spec);
    struct stat info;
    if (path.empty()) return dirNFErr;
    if (lstat(path.c_str(), &info) != 0) return ErrorOfLastCall();
    const int result = S_ISDIR(info.st_mode) ? rmdir(path.c_str()) : unlink(path.c_str());
    return result == 0 ? OSErr{noErr} : ErrorOfLastCall();
}

OSErr FSpGetFInfo(const FSSpec* spec, FInfo* fndrInfo) {
    if (!spec || !fndrInfo) return paramErr;
    const std::string path = mvfiles::PathOfSpec(*spec);
    struct stat info;
    if (path.empty()) return dirNFErr;
    if (stat(path.c_str(), &info) != 0) return ErrorOfLastCall();
    if (S_ISDIR(info.st_mode)) return notAFileErr;
    std::memset(fndrInfo, 0, sizeof *fndrInfo);
    UInt8 stored[8];
    if (getxattr(path.c_str(), kFinderInfoAttr, stored, sizeof stored) == sizeof stored) {
        fndrInfo->fdType = GetBigEndian(stored);
        fndrInfo->fdCreator = GetBigEndian(stored + 4);
    }
    return noErr;
}

OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef) {
    if (!source || !newRef) return paramErr;
    const std::string path = mvfiles::PathOfSpec(*source);
    struct stat info;
    if (path.empty()) return dirNFErr;
    if (lstat(path.c_str(), &info) != 0) return ErrorOfLastCall();
    mvfiles::MakeRef(path, *newRef);
    return noErr;
}

OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory) {
    if (!path || !ref) return paramErr;
    char resolved[PATH_MAX];
    if (!realpath(reinterpret_cast<const char*>(path), resolved)) return ErrorOfLastCall();
    struct stat info;
    if (stat(resolved, &info) != 0) return ErrorOfLastCall();
    mvfiles::MakeRef(resolved, *ref);
    if (isDirectory) *isDirectory = S_ISDIR(info.st_mode);
    return noErr;
}

OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize) {
    if (!ref || !path || maxPathSize == 0) return paramErr;
    const auto known = mvfiles::PathOfRef(*ref);
    if (!known) return fnfErr;
    if (known->size() >= maxPathSize) return bdNamErr;
    std::memcpy(path, known->c_str(), known->size() + 1);
    return noErr;
}
