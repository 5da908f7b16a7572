#include "settings/SettingsLocation.h"

#include <cstring>

#include "config/PluginDefines.h"
#include "config/prefsloader.h"
#include "system/Files.h"
#include "system/Folders.h"

namespace settings {

std::string SettingsFileLocation() {
    CreateConfigFile();
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr) return {};

    const std::string name = std::string(cProductCode) + cPrefName;
    Str255 pName{};
    pName[0] = static_cast<unsigned char>(name.size());
    std::memcpy(pName + 1, name.data(), name.size());
    FSSpec spec{};
    FSRef ref{};
    if (FSMakeFSSpec(vRefNum, dirID, pName, &spec) != noErr || FSpMakeFSRef(&spec, &ref) != noErr) return {};
    UInt8 path[4096];
    if (FSRefMakePath(&ref, path, sizeof path) != noErr) return {};
    return reinterpret_cast<const char*>(path);
}

}  // namespace settings
