#include "system/Folders.h"

#include "system/FileRegistry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

// A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory
// rules say.
std::string PreferencesPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string path = config && config[0] == '/' ? config : "";
    if (path.empty()) {
        const std::string home = HomeFolder();
        if (home.empty()) return "";
        path = home + "/.config";
    }
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// Creates every missing folder on the path, private to the user.
OSErr MakeFolders(const std::string& path) {
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return mvfiles::ErrorOfErrno(errno);
        if (end == std::string::npos) break;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return dirNFErr;
    return noErr;
}

}  // namespace

OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean, SInt16* foundVRefNum, SInt32* foundDirID) {
    if (!foundVRefNum || !foundDirID) return paramErr;
    if (vRefNum != kOnSystemDisk && vRefNum != kUserDomain) return nsvErr;
    if (folderType != kPreferencesFolderType) return fnfErr;
    const std::string path = PreferencesPath();
    if (path.empty()) return fnfErr;
    if (const OSErr err = MakeFolders(path); err != noErr) return err;
    *foundVRefNum = kMVVolumeRefNum;
    *foundDirID = mvfiles::DirIDOf(path);
    return noErr;
}
