// The settings file: the last accepted settings, kept between runs.
#pragma once

#include "config/PluginDefines.h"

inline constexpr UInt32 cConfigSaveVersion = 3;
// Declared for the older record; never written, and refused on reading.
inline constexpr UInt32 cConfigSaveVersionPPC = 2;
inline constexpr ResType cPrefsType = MV_FOURCC('P', 'r', 'e', 'f');
inline constexpr char cPrefName[] = "-Prefs";

// The stored record's size: 394 where the record is aligned to 2 bytes
// (big-endian build), 396 where it is rounded up to a multiple of 4.
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
inline constexpr UInt32 cConfigSaveSize = 394;
#else
inline constexpr UInt32 cConfigSaveSize = 396;
#endif

// The persistent fields of pluginDataRec. On disk each field sits at a
// fixed offset in the native byte order (see prefsloader.cpp), whatever
// this struct's own layout is.
struct configsaverec {
    UInt32 sizeInBytes;
    UInt32 version;
    relRect startRel;
    relRect endRel;
    RGBColor colors[cNumColors];
    SInt16 sliders[cNumSliders];
    RGBColor frameStartColor;
    RGBColor frameEndColor;
    SInt16 mediaType;
    Boolean keepProps;
    Boolean outside;
    Boolean sync;
    Boolean clipActive;
    Str255 miscString;
};

// theSaveConfig is a handle of at least cConfigSaveSize bytes holding the
// stored record.
Boolean Config2Save(pluginDataPtr theConfig, Handle theSaveConfig);
Boolean Save2Config(pluginDataPtr theConfig, Handle theSaveConfig);

Boolean SaveConfig(pluginDataPtr theConfig);
// Why the last SaveConfig failed (noErr after one that did not), and such
// an error in the user's words ("" where there are none to say more).
OSErr SaveConfigError();
const char* SaveFailureText(OSErr err);
Boolean ReadConfig(pluginDataPtr theConfig);
void CreateConfigFile();
