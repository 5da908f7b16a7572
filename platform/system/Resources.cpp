#include "system/Resources.h"

#include "memory/MacMemory.h"
#include "system/FileIO.h"
#include "system/FileRegistry.h"
#include "system/ResourceFormat.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct Resource {
    mvres::ResourceEntry entry;
    Handle handle = nullptr;
    bool added = false;  // data comes from the handle until written
};

struct ResFile {
    ResFileRefNum refNum;
    std::string path;
    bool writable;
    bool changed = false;
    std::vector<Resource> resources;
};

std::vector<std::unique_ptr<ResFile>> lgFiles;  // in the order opened
ResFileRefNum lgCurrent = 0;
ResFileRefNum lgNextRefNum = 20;
OSErr lgResError = noErr;

ResFile* FileOf(ResFileRefNum refNum) {
    for (auto& file : lgFiles) {
        if (file->refNum == refNum) return file.get();
    }
    return nullptr;
}

struct Found {
    ResFile* file = nullptr;
    size_t index = 0;
};

Found ResourceOf(Handle h) {
    if (!h) return {};
    for (auto& file : lgFiles) {
        for (size_t i = 0; i < file->resources.size(); ++i) {
            if (file->resources[i].handle == h) return {file.get(), i};
        }
    }
    return {};
}

std::vector<UInt8> BytesOf(Handle h) {
    const auto size = static_cast<size_t>(GetHandleSize(h));
    return size ? std::vector<UInt8>(*h, *h + size) : std::vector<UInt8>{};
}

// The stored data of a resource whose handle the caller filled.
void TakeHandleData(Resource& resource) {
    if (resource.added && resource.handle) resource.entry.data = BytesOf(resource.handle);
}

// A link is followed to the file it names; a dangling one names nothing.
OSErr ResolvedPath(const FSSpec* spec, std::string& resolved) {
    const std::string path = spec ? mvfiles::PathOfSpec(*spec) : "";
    if (path.empty()) return spec ? dirNFErr : paramErr;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return mvfiles::ErrorOfErrno(errno);
    char real[PATH_MAX];
    if (!realpath(path.c_str(), real)) return fnfErr;
    if (stat(real, &info) != 0) return mvfiles::ErrorOfErrno(errno);
    if (!S_ISREG(info.st_mode)) return notAFileErr;
    resolved = real;
    return noErr;
}

bool MayWrite(const std::string& path) {
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    return access(path.c_str(), W_OK) == 0 && access(folder.c_str(), W_OK) == 0;
}

OSErr OpenFile(const FSSpec* spec, SInt8 permission, ResFileRefNum& refNum) {
    std::string path;
    if (const OSErr err = ResolvedPath(spec, path); err != noErr) return err;
    const bool wantsWrite = permission == fsWrPerm || permission == fsRdWrPerm;
    const bool writable = permission != fsRdPerm && MayWrite(path);
    if (wantsWrite && !writable) return permErr;
    for (auto& open : lgFiles) {
        if (open->path != path) continue;
        if (wantsWrite && !open->writable) return opWrErr;
        refNum = open->refNum;
        return noErr;
    }
    std::vector<UInt8> bytes;
    if (const OSErr err = mvfiles::ReadWholeFile(path, mvres::kMaxResourceFileSize, bytes); err != noErr) return err;
    auto entries = mvres::ParseResourceFile(bytes);
    if (!entries) return mapReadErr;
    auto file = std::make_unique<ResFile>(ResFile{lgNextRefNum++, path, writable, false, {}});
    if (lgNextRefNum <= 0) lgNextRefNum = 20;
    for (auto& entry : *entries) file->resources.push_back(Resource{std::move(entry), nullptr, false});
    refNum = file->refNum;
    lgFiles.push_back(std::move(file));
    return noErr;
}

OSErr WriteFile(ResFile& file) {
    if (!file.changed) return noErr;
    if (!file.writable) return wPrErr;
    std::vector<mvres::ResourceEntry> entries;
    for (Resource& resource : file.resources) {
        entries.push_back(resource.entry);
        if (resource.added && resource.handle) entries.back().data = BytesOf(resource.handle);
    }
    const auto bytes = mvres::EncodeResourceFile(entries);
    if (!bytes) return ioErr;
    if (const OSErr err = mvfiles::ReplaceFile(file.path, *bytes); err != noErr) return err;
    for (size_t i = 0; i < entries.size(); ++i) {
        file.resources[i].entry.data = std::move(entries[i].data);
        file.resources[i].added = false;
    }
    file.changed = false;
    return noErr;
}

}  // namespace

void FSpCreateResFile(const FSSpec* spec, OSType creator, OSType fileType, ScriptCode) {
    const std::string path = spec ? mvfiles::PathOfSpec(*spec) : "";
    if (path.empty()) {
        lgResError = spec ? dirNFErr : paramErr;
        return;
    }
    struct stat info;
    if (lstat(path.c_str(), &info) == 0) {
        lgResError = S_ISREG(info.st_mode) && info.st_size == 0 ? OSErr{noErr} : OSErr{dupFNErr};
    } else {
        lgResError = mvfiles::CreateFile(path, *mvres::EncodeResourceFile({}));
        if (lgResError == fnfErr) lgResError = dirNFErr;
    }
    // Text is Mac Roman throughout, so the script needs no record.
    if (lgResError == noErr) mvfiles::RecordFileType(path, fileType, creator);
}

ResFileRefNum FSpOpenResFile(const FSSpec* spec, SInt8 permission) {
    ResFileRefNum refNum = -1;
    lgResError = OpenFile(spec, permission, refNum);
    if (lgResError != noErr) return -1;
    lgCurrent = refNum;
    return refNum;
}

void UseResFile(ResFileRefNum refNum) {
    if (!FileOf(refNum)) {
        lgResError = resFNotFound;
        return;
    }
    lgCurrent = refNum;
    lgResError = noErr;
}

ResFileRefNum CurResFile(void) { return lgCurrent; }

OSErr ResError(void) { return lgResError; }

Handle Get1Resource(ResType theType, ResID theID) {
    ResFile* file = FileOf(lgCurrent);
    lgResError = file ? resNotFound : resFNotFound;
    if (!file) return nullptr;
    for (Resource& resource : file->resources) {
        if (resource.entry.type != theType || resource.entry.id != theID) continue;
        if (!resource.handle) {
            resource.handle = NewHandle(static_cast<Size>(resource.entry.data.size()));
            if (!resource.handle) {
                lgResError = memFullErr;
                return nullptr;
            }
            if (!resource.entry.data.empty())
                std::memcpy(*resource.handle, resource.entry.data.data(), resource.entry.data.size());
        }
        lgResError = noErr;
        return resource.handle;
    }
    return nullptr;
}

void RemoveResource(Handle theResource) {
    const Found found = ResourceOf(theResource);
    if (!found.file || !found.file->writable) {
        lgResError = rmvResFailed;
        return;
    }
    found.file->resources.erase(found.file->resources.begin() + static_cast<long>(found.index));
    found.file->changed = true;
    lgResError = noErr;
}

void AddResource(Handle theData, ResType theType, ResID theID, ConstStr255Param name) {
    ResFile* file = FileOf(lgCurrent);
    if (!file || !file->writable || !theData || GetHandleSize(theData) < 0 || ResourceOf(theData).file) {
        lgResError = addResFailed;
        return;
    }
    Resource resource{{theType, theID, 0, name && name[0] > 0, "", {}}, theData, true};
    if (resource.entry.hasName) resource.entry.name.assign(reinterpret_cast<const char*>(name + 1), name[0]);
    file->resources.push_back(std::move(resource));
    file->changed = true;
    lgResError = noErr;
}

void UpdateResFile(ResFileRefNum refNum) {
    ResFile* file = FileOf(refNum);
    lgResError = file ? WriteFile(*file) : OSErr{resFNotFound};
}

void ReleaseResource(Handle theResource) {
    const Found found = ResourceOf(theResource);
    if (!found.file) {
        lgResError = resNotFound;
        return;
    }
    Resource& resource = found.file->resources[found.index];
    TakeHandleData(resource);
    DisposeHandle(resource.handle);
    resource.handle = nullptr;
    lgResError = noErr;
}

void DetachResource(Handle theResource) {
    const Found found = ResourceOf(theResource);
    if (!found.file) {
        lgResError = resNotFound;
        return;
    }
    TakeHandleData(found.file->resources[found.index]);
    found.file->resources[found.index].handle = nullptr;
    lgResError = noErr;
}

void CloseResFile(ResFileRefNum refNum) {
    ResFile* file = FileOf(refNum);
    if (!file) {
        lgResError = resFNotFound;
        return;
    }
    lgResError = WriteFile(*file);
    for (Resource& resource : file->resources) DisposeHandle(resource.handle);
    std::erase_if(lgFiles, [&](const auto& open) { return open.get() == file; });
    if (lgCurrent == refNum) lgCurrent = lgFiles.empty() ? 0 : lgFiles.back()->refNum;
}
