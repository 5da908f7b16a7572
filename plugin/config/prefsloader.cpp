#include "config/prefsloader.h"

#include "memory/MacMemory.h"
#include "system/Files.h"
#include "system/Folders.h"
#include "system/Resources.h"
#include "util/PascalStrings.h"

#include <cstring>

namespace {

// Where each field of the stored record sits.
constexpr size_t kSizeInBytesAt = 0, kVersionAt = 4, kStartRelAt = 8, kEndRelAt = 40, kColorsAt = 72,
                 kSlidersAt = 108, kFrameStartColorAt = 120, kFrameEndColorAt = 126, kMediaTypeAt = 132,
                 kKeepPropsAt = 134, kOutsideAt = 135, kSyncAt = 136, kClipActiveAt = 137, kMiscStringAt = 138;
constexpr size_t kRelRectSize = 32, kRGBColorSize = 6;

constexpr char kMiscText[] = "Config save for qr/v iMovie plug-in";
constexpr char kResourceName[] = "Config Settings";
constexpr ResID kPrefsID = 1;
constexpr OSType kCreator = MV_FOURCC('q', 'r', 'v', ' ');

template <typename T>
void Put(UInt8* record, size_t at, T value) {
    std::memcpy(record + at, &value, sizeof value);
}

template <typename T>
T Get(const UInt8* record, size_t at) {
    T value;
    std::memcpy(&value, record + at, sizeof value);
    return value;
}

void PutRel(UInt8* record, size_t at, const relRect& rel) {
    Put(record, at, rel.left);
    Put(record, at + 8, rel.right);
    Put(record, at + 16, rel.top);
    Put(record, at + 24, rel.bottom);
}

relRect GetRel(const UInt8* record, size_t at) {
    return relRect{Get<double>(record, at), Get<double>(record, at + 8), Get<double>(record, at + 16),
                   Get<double>(record, at + 24)};
}

void PutColor(UInt8* record, size_t at, const RGBColor& color) {
    Put(record, at, color.red);
    Put(record, at + 2, color.green);
    Put(record, at + 4, color.blue);
}

RGBColor GetColor(const UInt8* record, size_t at) {
    return RGBColor{Get<UInt16>(record, at), Get<UInt16>(record, at + 2), Get<UInt16>(record, at + 4)};
}

// Writes every field at its offset; padding and unused text stay zero.
void EncodeSaveRec(const configsaverec& save, UInt8* record) {
    std::memset(record, 0, cConfigSaveSize);
    Put(record, kSizeInBytesAt, save.sizeInBytes);
    Put(record, kVersionAt, save.version);
    PutRel(record, kStartRelAt, save.startRel);
    PutRel(record, kEndRelAt, save.endRel);
    for (int n = 0; n < cNumColors; ++n) PutColor(record, kColorsAt + n * kRGBColorSize, save.colors[n]);
    for (int n = 0; n < cNumSliders; ++n) Put(record, kSlidersAt + n * 2, save.sliders[n]);
    PutColor(record, kFrameStartColorAt, save.frameStartColor);
    PutColor(record, kFrameEndColorAt, save.frameEndColor);
    Put(record, kMediaTypeAt, save.mediaType);
    Put<UInt8>(record, kKeepPropsAt, save.keepProps != 0);
    Put<UInt8>(record, kOutsideAt, save.outside != 0);
    Put<UInt8>(record, kSyncAt, save.sync != 0);
    Put<UInt8>(record, kClipActiveAt, save.clipActive != 0);
    std::memcpy(record + kMiscStringAt, save.miscString, save.miscString[0] + 1u);
}

void DecodeSaveRec(const UInt8* record, configsaverec& save) {
    save.sizeInBytes = Get<UInt32>(record, kSizeInBytesAt);
    save.version = Get<UInt32>(record, kVersionAt);
    save.startRel = GetRel(record, kStartRelAt);
    save.endRel = GetRel(record, kEndRelAt);
    for (int n = 0; n < cNumColors; ++n) save.colors[n] = GetColor(record, kColorsAt + n * kRGBColorSize);
    for (int n = 0; n < cNumSliders; ++n) save.sliders[n] = Get<SInt16>(record, kSlidersAt + n * 2);
    save.frameStartColor = GetColor(record, kFrameStartColorAt);
    save.frameEndColor = GetColor(record, kFrameEndColorAt);
    save.mediaType = Get<SInt16>(record, kMediaTypeAt);
    save.keepProps = record[kKeepPropsAt];
    save.outside = record[kOutsideAt];
    save.sync = record[kSyncAt];
    save.clipActive = record[kClipActiveAt];
    std::memcpy(save.miscString, record + kMiscStringAt, 256);
}

// FindFolder's failure is reported as a missing folder, so that only a
// missing file gives fnfErr.
OSErr LocateSettingsFile(FSSpec& spec) {
    SInt16 vRefNum;
    SInt32 dirID;
    if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr)
        return dirNFErr;
    Str255 name;
    CopyCToPString(cProductCode, name);
    PStrCatC(name, cPrefName);
    return FSMakeFSSpec(vRefNum, dirID, name, &spec);
}

// What a file in the settings file's place that holds no settings gives.
// A file that cannot be read (permErr: another user's, say) may hold
// settings all the same, so it is never among these.
bool HoldsNoSettings(OSErr err) {
    return err == mapReadErr || err == eofErr || err == fnfErr || err == notAFileErr;
}

// Opens the settings file and makes it current. A damaged file, a folder
// or a dangling link in its place holds no settings to lose, so a new
// empty file takes its place; a folder with contents is left alone.
ResFileRefNum OpenSettingsToWrite(const FSSpec& spec) {
    ResFileRefNum refNum = FSpOpenResFile(&spec, fsCurPerm);
    if (refNum == -1 && HoldsNoSettings(ResError()) && FSpDelete(&spec) == noErr) {
        FSpCreateResFile(&spec, kCreator, cPrefsType, smSystemScript);
        if (ResError() == noErr) refNum = FSpOpenResFile(&spec, fsCurPerm);
    }
    if (refNum != -1) UseResFile(refNum);
    return refNum;
}

// Replaces the settings resource in memory and writes the file once, so
// the file on disk never lacks settings. The new record is made before the
// old one is touched: a failure on the way leaves the file as it was.
Boolean PutSettings(ResFileRefNum refNum, pluginDataPtr theConfig) {
    Handle data = NewHandleClear(cConfigSaveSize);
    if (!data) return false;
    if (!Config2Save(theConfig, data)) {
        DisposeHandle(data);
        return false;
    }
    // Every old record goes, a damaged file's second one too: left behind, it
    // would be the one read next time.
    while (Handle old = Get1Resource(cPrefsType, kPrefsID)) {
        RemoveResource(old);
        if (ResError() != noErr) {
            DisposeHandle(data);
            return false;
        }
        DisposeHandle(old);
    }
    if (ResError() != resNotFound) {
        // An old record could not be loaded; adding beside it would store two.
        DisposeHandle(data);
        return false;
    }
    Str255 name;
    CopyCToPString(kResourceName, name);
    AddResource(data, cPrefsType, kPrefsID, name);
    if (ResError() != noErr) {
        DisposeHandle(data);
        return false;
    }
    UpdateResFile(refNum);
    const Boolean written = ResError() == noErr;
    ReleaseResource(data);
    return written;
}

}  // namespace

Boolean Config2Save(pluginDataPtr theConfig, Handle theSaveConfig) {
    if (!theConfig || !theSaveConfig || GetHandleSize(theSaveConfig) < static_cast<Size>(cConfigSaveSize))
        return false;
    configsaverec save{};
    save.sizeInBytes = cConfigSaveSize;
    save.version = cConfigSaveVersion;
    save.startRel = theConfig->startRel;
    save.endRel = theConfig->endRel;
    for (int n = 0; n < cNumColors; ++n) save.colors[n] = theConfig->colors[n];
    for (int n = 0; n < cNumSliders; ++n) save.sliders[n] = theConfig->sliders[n];
    save.frameStartColor = theConfig->frameStartColor;
    save.frameEndColor = theConfig->frameEndColor;
    save.mediaType = theConfig->mediaType;
    save.keepProps = theConfig->keepProps;
    save.outside = theConfig->outside;
    save.sync = theConfig->sync;
    save.clipActive = theConfig->clipActive;
    CopyCToPString(kMiscText, save.miscString);
    EncodeSaveRec(save, reinterpret_cast<UInt8*>(*theSaveConfig));
    return true;
}

Boolean Save2Config(pluginDataPtr theConfig, Handle theSaveConfig) {
    if (!theConfig || !theSaveConfig || GetHandleSize(theSaveConfig) < static_cast<Size>(cConfigSaveSize))
        return false;
    configsaverec save;
    DecodeSaveRec(reinterpret_cast<const UInt8*>(*theSaveConfig), save);
    if (save.sizeInBytes != cConfigSaveSize || save.version != cConfigSaveVersion) return false;
    theConfig->startRel = save.startRel;
    theConfig->endRel = save.endRel;
    for (int n = 0; n < cNumColors; ++n) theConfig->colors[n] = save.colors[n];
    for (int n = 0; n < cNumSliders; ++n) theConfig->sliders[n] = save.sliders[n];
    theConfig->frameStartColor = save.frameStartColor;
    theConfig->frameEndColor = save.frameEndColor;
    theConfig->mediaType = save.mediaType;
    theConfig->keepProps = save.keepProps;
    theConfig->outside = save.outside;
    theConfig->sync = save.sync;
    theConfig->clipActive = save.clipActive;
    return true;
}

namespace {

OSErr lgSaveErr = noErr;  // why the last save failed, kept before closing the file can change ResError

// False, with the reason kept.
Boolean SaveFailed(OSErr err) {
    lgSaveErr = err != noErr ? err : OSErr{ioErr};
    return false;
}

}  // namespace

Boolean SaveConfig(pluginDataPtr theConfig) {
    lgSaveErr = noErr;
    if (!theConfig) return SaveFailed(paramErr);
    FSSpec spec;
    if (const OSErr err = LocateSettingsFile(spec); err != noErr) return SaveFailed(err);
    const ResFileRefNum refNum = OpenSettingsToWrite(spec);
    if (refNum == -1) return SaveFailed(ResError());
    const Boolean saved = PutSettings(refNum, theConfig);
    const OSErr putErr = ResError();
    CloseResFile(refNum);
    if (!saved) return SaveFailed(putErr);
    return ResError() == noErr ? true : SaveFailed(ResError());
}

OSErr SaveConfigError() { return lgSaveErr; }

const char* SaveFailureText(OSErr err) {
    switch (err) {
    case permErr: return "permission denied: the file or its folder belongs to someone else";
    case wPrErr: return "the disk is read-only";
    case dskFulErr: return "the disk is full";
    case fBsyErr:
    case notAFileErr: return "a folder stands in its place";
    case memFullErr: return "out of memory";
    case ioErr: return "the disk could not be written";
    case dirNFErr: return "the preferences folder cannot be made";
    default: return "";
    }
}

Boolean ReadConfig(pluginDataPtr theConfig) {
    if (!theConfig) return false;
    FSSpec spec;
    if (LocateSettingsFile(spec) != noErr) return false;
    const ResFileRefNum refNum = FSpOpenResFile(&spec, fsRdPerm);
    if (refNum == -1) return false;
    UseResFile(refNum);
    Handle data = Get1Resource(cPrefsType, kPrefsID);
    if (!data) {
        CloseResFile(refNum);
        return false;
    }
    DetachResource(data);
    CloseResFile(refNum);
    const Boolean accepted = Save2Config(theConfig, data);
    DisposeHandle(data);
    return accepted;
}

void CreateConfigFile() {
    FSSpec spec;
    if (LocateSettingsFile(spec) == fnfErr) FSpCreateResFile(&spec, kCreator, cPrefsType, smSystemScript);
}
