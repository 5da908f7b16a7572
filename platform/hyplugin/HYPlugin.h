/* The video host's plug-in interface: the parameter block handed to a
 * plug-in's `main`, the description records the plug-in fills, the enumerations
 * exchanged through them and the host's callback table. A host includes this
 * header to talk to any plug-in of this kind.
 *
 * Every record keeps the host's field order and types. With 32-bit pointers
 * each offset and size is the host's own (checked below); on 64-bit only the
 * pointer fields grow. */
#ifndef MV_HYPLUGIN_H
#define MV_HYPLUGIN_H

#include "MacTypes.h"
#include "quickdraw/QuickDraw.h"

MV_EXTERN_C_BEGIN

/* The enumerations travel as single bytes. */
typedef UInt8 HYPluginSelector;
enum {
    kPlugGetInfo = 1,
    kPlugInitialize = 2,
    kPlugDrawIcon = 3,
    kPlugDrawThumbNail = 4,
    kPlugFilePlaceHolder = 5,
    kPlugDoFrame = 6,
    kPlugCallOnceWithInitAndTerminate = 7,
    kPlugTerminate = 8,
    kPlugCustomButtonClick = 9
};

typedef UInt8 HYPluginResult;
enum {
    kPluginOK = 0,
    kPluginCancel = 1,
    kPluginFinished = 2,
    kPluginBadParams = 3,
    kPluginOutOfMemory = 4,
    kPluginOutOfDiskSpace = 5,
    kPluginFailed = 6,
    kPluginCantGetNeededFrame = 7,
    kPluginUnimplemented = 8,
    kPluginTryAgainLater = 9,
    kPluginAppIsTooOld = 10,
    kPluginAppIsTooNew = 11
};

typedef UInt8 HYPluginType;
enum {
    kPluginUnknownType = 0,
    kPluginTitleType = 101,
    kPluginTransitionBeforeType = 102,
    kPluginTransitionBetweenType = 103,
    kPluginTransitionAfterType = 104,
    kPluginFilterType = 105
};

typedef UInt8 HYRefDVQuality;
enum {
    kDVLowQuality = 0,
    kDVHighQuality = 1,
    kDVHighQualitySingleField = 2
};

/* What the bits mean is the host's matter. */
typedef UInt32 HYPluginChoiceFlags;

typedef UInt8 HYPluginTitleType;
typedef UInt8 HYPluginDirection;
typedef UInt8 HYPluginJustify;

enum {
    kHYLabelLength = 128,
    kHYButtonTitleLength = 32,
    kHYFileInfoLength = 80,
    kHYFilterSliderCount = 3
};

typedef struct HYPluginGetInfo {
    HYPluginType pluginType;
    HYPluginTitleType titleType;
    HYPluginChoiceFlags pluginFlags;
    SInt32 framesToBeRendered;
    SInt32 takeFromClipBefore;
    SInt32 takeFromClipAfter;
    SInt32 minSpeedFrames;
    SInt32 maxSpeedFrames;
    Boolean mustTakeFromSingleClips;
    SInt32 bestThumbOffset;
    RGBColor defaultColor;
    HYPluginDirection defaultDirection;
    HYPluginJustify justify;
    SInt16 defaultFontNum;
    SInt16 defaultFontSize;
} HYPluginGetInfo;

typedef struct HYPluginFilterSliderInfo {
    char label[kHYLabelLength];
    char minLabel[kHYLabelLength];
    char maxLabel[kHYLabelLength];
    float defaultValue;
} HYPluginFilterSliderInfo;

typedef struct HY2PluginGetInfo {
    char group[kHYLabelLength];
    HYPluginFilterSliderInfo filterSliders[kHYFilterSliderCount];
    SInt32 defaultFadeInFrames;
    SInt32 defaultFadeOutFrames;
    SInt32 minHangFrames;
    SInt32 maxHangFrames;
    float defaultFontSizeScale;
    SInt32 selectedFrames;
    SInt32 speedFrames;
    SInt32 hangFrames;
    SInt32 baseMemoryNeeded;
} HY2PluginGetInfo;

typedef struct HY3PluginGetInfo {
    float defaultX;
    float defaultY;
    float userX;
    float userY;
    UInt8 fileInfo[kHYFileInfoLength];
    char buttonTitle[kHYButtonTitleLength];
} HY3PluginGetInfo;

typedef struct HY4PluginGetInfo {
    HYPluginFilterSliderInfo titleSliders;
} HY4PluginGetInfo;

/* The user's settings of the host's sliders and fades for one clip. */
typedef struct HYPluginFilterInfo {
    float sliderValues[kHYFilterSliderCount];
    SInt32 fadeInFrames;
    SInt32 fadeOutFrames;
} HYPluginFilterInfo;

/* Callback slot types. `instance` is the block's opaque host handle; records
 * whose layout the host keeps to itself travel as untyped pointers. */
typedef void* (*ProxTypeNewPtr)(UInt32 size);
typedef void* (*ProxTypeNewPtrClear)(UInt32 size);
typedef void (*ProxTypeDisposePtr)(void* block);
typedef void (*ProxTypeptocstr)(ConstStr255Param src, char* dst);
typedef void (*ProxTypectopstr)(const char* src, StringPtr dst);
typedef void (*ProxTypepstrcpy)(StringPtr dst, ConstStr255Param src);
typedef char* (*ProxTypestrcpy)(char* dst, const char* src);
typedef UInt32 (*ProxTypestrlen)(const char* text);
typedef void (*ProxTypeGetLocalizedString)(void* instance, SInt16 stringID, char* text,
                                           UInt32 capacity);
typedef HYPluginResult (*ProxTypeGetFrame)(void* instance, SInt32 frame, GWorldPtr* theGW,
                                           SInt16 width, SInt16 height,
                                           HYRefDVQuality quality, SInt16* volume,
                                           void** cookie);
typedef HYPluginResult (*ProxTypeReleaseFrame)(void* instance, void* cookie);
typedef HYPluginResult (*ProxTypeGetAudioFrame)(void* instance, SInt32 frame, void** samples,
                                                SInt32* sampleCount, void** cookie);
typedef HYPluginResult (*ProxTypeReleaseAudioFrame)(void* instance, void* cookie);
typedef HYPluginResult (*ProxTypeGetMovieInfo)(void* instance, void* info);
typedef HYPluginResult (*ProxTypeGetClipInfo)(void* instance, SInt32 clipIndex, void* info);
typedef HYPluginResult (*ProxTypeSetClipInfo)(void* instance, SInt32 clipIndex,
                                              const void* info);
typedef HYPluginResult (*ProxTypeBlit)(PixMapHandle src, PixMapHandle dst, const Rect* srcRect,
                                       const Rect* dstRect, SInt16 opacity);
typedef HYPluginResult (*ProxTypeFillRect)(PixMapHandle dst, const Rect* area,
                                           const RGBColor* color);
typedef HYPluginResult (*ProxTypeTextBounds)(void* instance, const char* text, Rect* bounds);
typedef HYPluginResult (*ProxTypeDrawText)(void* instance, GWorldPtr dst, const char* text,
                                           const Rect* bounds);
typedef HYPluginResult (*ProxTypeGetTitleInfo)(void* instance, void** info);
typedef HYPluginResult (*ProxTypeReleaseTitleInfo)(void* instance, void* info);
typedef HYPluginResult (*ProxTypeGetTransitionInfo)(void* instance, void** info);
typedef HYPluginResult (*ProxTypeReleaseTransitionInfo)(void* instance, void* info);
typedef HYPluginResult (*ProxTypeMixAudio)(void* instance, void* cookie, SInt32 level);
typedef HYPluginResult (*ProxTypeGetFilterInfo)(void* instance, HYPluginFilterInfo** info);
typedef HYPluginResult (*ProxTypeReleaseFilterInfo)(void* instance, HYPluginFilterInfo* info);
typedef float (*ProxTypeStringWidth)(void* instance, const char* text);
typedef HYPluginResult (*ProxTypeCGDrawText)(void* instance, void* context, const char* text,
                                             const Rect* bounds);
typedef float (*ProxTypeCGStringWidth)(void* instance, void* context, const char* text);

typedef struct HYProcs {
    ProxTypeNewPtr NewPtr;
    ProxTypeNewPtrClear NewPtrClear;
    ProxTypeDisposePtr DisposePtr;
    ProxTypeptocstr ptocstr;
    ProxTypectopstr ctopstr;
    ProxTypepstrcpy pstrcpy;
    ProxTypestrcpy strcpy;
    ProxTypestrlen strlen;
    ProxTypeGetLocalizedString GetLocalizedString;
    ProxTypeGetFrame GetFrame;
    ProxTypeReleaseFrame ReleaseFrame;
    ProxTypeGetAudioFrame GetAudioFrame;
    ProxTypeReleaseAudioFrame ReleaseAudioFrame;
    ProxTypeGetMovieInfo GetMovieInfo;
    ProxTypeGetClipInfo GetClipInfo;
    ProxTypeSetClipInfo SetClipInfo;
    ProxTypeBlit Blit;
    ProxTypeFillRect FillRect;
    ProxTypeTextBounds TextBounds;
    ProxTypeDrawText DrawText;
    ProxTypeGetTitleInfo GetTitleInfo;
    ProxTypeReleaseTitleInfo ReleaseTitleInfo;
    ProxTypeGetTransitionInfo GetTransitionInfo;
    ProxTypeReleaseTransitionInfo ReleaseTransitionInfo;
    ProxTypeMixAudio MixAudio;
    ProxTypeGetFilterInfo GetFilterInfo;
    ProxTypeReleaseFilterInfo ReleaseFilterInfo;
    ProxTypeStringWidth StringWidth;
    ProxTypeCGDrawText CGDrawText;
    ProxTypeCGStringWidth CGStringWidth;
} HYProcs;

typedef struct _PluginParams {
    SInt16 interfaceVersion;
    void* instance;
    HYPluginSelector selector;
    HYProcs* procs;
    HYPluginGetInfo getInfo;
    SInt32 startFrame;
    SInt32 renderFrame; /* counted from startFrame */
    SInt32 frameCount;
    Boolean proxyOnly;
    Rect frameRect; /* output area within frame */
    GWorldPtr frame;
    void* clientData; /* the plug-in's, kept by the host for one clip */
    HY2PluginGetInfo getInfo2;
    HY3PluginGetInfo getInfo3;
    HY4PluginGetInfo getInfo4;
} _PluginParams;
typedef _PluginParams HYPluginParams;

/* The plug-in's exported entry point, resolved by the host as "main". */
typedef int (*HYPluginEntryProc)(SInt16 which, HYPluginParams* params);

#ifdef __cplusplus
#define MV_HY_LAYOUT(cond) static_assert(cond, #cond)
#else
#define MV_HY_LAYOUT(cond) _Static_assert(cond, #cond)
#endif

/* Records without pointers have the host's layout on every build. */
MV_HY_LAYOUT(sizeof(HYPluginGetInfo) == 48);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, pluginType) == 0);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, titleType) == 1);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, pluginFlags) == 4);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, framesToBeRendered) == 8);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, takeFromClipBefore) == 12);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, takeFromClipAfter) == 16);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, minSpeedFrames) == 20);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, maxSpeedFrames) == 24);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, mustTakeFromSingleClips) == 28);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, bestThumbOffset) == 32);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, defaultColor) == 36);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, defaultDirection) == 42);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, justify) == 43);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, defaultFontNum) == 44);
MV_HY_LAYOUT(offsetof(HYPluginGetInfo, defaultFontSize) == 46);

MV_HY_LAYOUT(sizeof(HYPluginFilterSliderInfo) == 388);
MV_HY_LAYOUT(offsetof(HYPluginFilterSliderInfo, label) == 0);
MV_HY_LAYOUT(offsetof(HYPluginFilterSliderInfo, minLabel) == 128);
MV_HY_LAYOUT(offsetof(HYPluginFilterSliderInfo, maxLabel) == 256);
MV_HY_LAYOUT(offsetof(HYPluginFilterSliderInfo, defaultValue) == 384);

MV_HY_LAYOUT(sizeof(HY2PluginGetInfo) == 1328);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, group) == 0);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, filterSliders) == 128);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, defaultFadeInFrames) == 1292);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, defaultFadeOutFrames) == 1296);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, minHangFrames) == 1300);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, maxHangFrames) == 1304);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, defaultFontSizeScale) == 1308);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, selectedFrames) == 1312);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, speedFrames) == 1316);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, hangFrames) == 1320);
MV_HY_LAYOUT(offsetof(HY2PluginGetInfo, baseMemoryNeeded) == 1324);

MV_HY_LAYOUT(sizeof(HY3PluginGetInfo) == 128);
MV_HY_LAYOUT(offsetof(HY3PluginGetInfo, defaultX) == 0);
MV_HY_LAYOUT(offsetof(HY3PluginGetInfo, defaultY) == 4);
MV_HY_LAYOUT(offsetof(HY3PluginGetInfo, userX) == 8);
MV_HY_LAYOUT(offsetof(HY3PluginGetInfo, userY) == 12);
MV_HY_LAYOUT(offsetof(HY3PluginGetInfo, fileInfo) == 16);
MV_HY_LAYOUT(offsetof(HY3PluginGetInfo, buttonTitle) == 96);

MV_HY_LAYOUT(sizeof(HY4PluginGetInfo) == 388);

MV_HY_LAYOUT(sizeof(HYPluginFilterInfo) == 20);
MV_HY_LAYOUT(offsetof(HYPluginFilterInfo, sliderValues) == 0);
MV_HY_LAYOUT(offsetof(HYPluginFilterInfo, fadeInFrames) == 12);
MV_HY_LAYOUT(offsetof(HYPluginFilterInfo, fadeOutFrames) == 16);

MV_HY_LAYOUT(sizeof(HYProcs) == 30 * sizeof(void*));
MV_HY_LAYOUT(offsetof(HYProcs, NewPtrClear) == 1 * sizeof(void*));
MV_HY_LAYOUT(offsetof(HYProcs, DisposePtr) == 2 * sizeof(void*));
MV_HY_LAYOUT(offsetof(HYProcs, GetFrame) == 9 * sizeof(void*));
MV_HY_LAYOUT(offsetof(HYProcs, ReleaseFrame) == 10 * sizeof(void*));
MV_HY_LAYOUT(offsetof(HYProcs, Blit) == 16 * sizeof(void*));
MV_HY_LAYOUT(offsetof(HYProcs, MixAudio) == 24 * sizeof(void*));
MV_HY_LAYOUT(offsetof(HYProcs, GetFilterInfo) == 25 * sizeof(void*));
MV_HY_LAYOUT(offsetof(HYProcs, ReleaseFilterInfo) == 26 * sizeof(void*));
MV_HY_LAYOUT(offsetof(HYProcs, CGStringWidth) == 29 * sizeof(void*));

/* The parameter block holds pointers: its offsets are the host's with 32-bit ones. */
#if defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4
MV_HY_LAYOUT(sizeof(HYProcs) == 120);
MV_HY_LAYOUT(sizeof(_PluginParams) == 1940);
MV_HY_LAYOUT(offsetof(_PluginParams, interfaceVersion) == 0);
MV_HY_LAYOUT(offsetof(_PluginParams, instance) == 4);
MV_HY_LAYOUT(offsetof(_PluginParams, selector) == 8);
MV_HY_LAYOUT(offsetof(_PluginParams, procs) == 12);
MV_HY_LAYOUT(offsetof(_PluginParams, getInfo) == 16);
MV_HY_LAYOUT(offsetof(_PluginParams, startFrame) == 64);
MV_HY_LAYOUT(offsetof(_PluginParams, renderFrame) == 68);
MV_HY_LAYOUT(offsetof(_PluginParams, frameCount) == 72);
MV_HY_LAYOUT(offsetof(_PluginParams, proxyOnly) == 76);
MV_HY_LAYOUT(offsetof(_PluginParams, frameRect) == 78);
MV_HY_LAYOUT(offsetof(_PluginParams, frame) == 88);
MV_HY_LAYOUT(offsetof(_PluginParams, clientData) == 92);
MV_HY_LAYOUT(offsetof(_PluginParams, getInfo2) == 96);
MV_HY_LAYOUT(offsetof(_PluginParams, getInfo3) == 1424);
MV_HY_LAYOUT(offsetof(_PluginParams, getInfo4) == 1552);
#endif

#undef MV_HY_LAYOUT

MV_EXTERN_C_END

#endif
