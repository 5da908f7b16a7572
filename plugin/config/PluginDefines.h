// The effect's configuration record, the dialog's working state and the
// build-time constants that shape the effect.
#pragma once

#include "MacTypes.h"
#include "config/relRect.h"
#include "quartz/CoreGraphics.h"
#include "quickdraw/QuickDraw.h"

struct _PluginParams;
// The dialog's window and controls, by reference only: the configuration
// needs no windowing toolkit.
typedef struct OpaqueWindowPtr* WindowRef;
typedef struct OpaqueControlRef* ControlRef;

inline constexpr char cMyPluginName[] = "morvatelle";
inline constexpr char cMyClearName[] = "Morva Telle";
inline constexpr char cMyBundleID[] = "com.qrv.vidkitfx.morvatelle";
inline constexpr char cProductCode[] = "kwtrp";
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
inline constexpr char cPlugVersion[] = "3.0.0 (PPC Universal)";
#else
inline constexpr char cPlugVersion[] = "3.0.0 (i386 Universal)";
#endif
inline constexpr SInt32 cPlugVersionNum = 0x30000;

inline constexpr SInt16 cUsesSlider1 = 1, cUsesSlider2 = 1, cUsesSlider3 = 1;
inline constexpr SInt16 cUsesSlider4 = 0, cUsesSlider5 = 0, cUsesSlider6 = 0;
inline constexpr SInt16 cUsesColor1 = 0, cUsesColor2 = 0, cUsesColor3 = 0;
inline constexpr SInt16 cUsesColor4 = 0, cUsesColor5 = 0, cUsesColor6 = 0;
inline constexpr SInt16 cUsedNumberOfRects = 1;
inline constexpr SInt16 cHandleSize = 6;
inline constexpr SInt16 cUseDisposeGWInSlider = 1;

inline constexpr int cNumSliders = 6;
inline constexpr int cNumColors = 6;

// Media types, as stored in mediaType.
inline constexpr SInt16 cMediaNTSC = 1, cMediaPAL = 2, cMediaHD = 3;

// Slider n of the dialog is sliders[n - 1]; likewise colors.
struct pluginDataRec {
    relRect startRel;
    relRect endRel;
    SInt16 sliders[cNumSliders];
    RGBColor colors[cNumColors];
    RGBColor frameStartColor;
    RGBColor frameEndColor;
    SInt16 mediaType;
    Boolean sync;
    Boolean outside;
    Boolean clipActive;
    CGImageRef theOriginalImage;
    CGImageRef theRendered;
    Boolean keepProps;
};
typedef pluginDataRec* pluginDataPtr;

#if UINTPTR_MAX == 0xFFFFFFFFu && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
static_assert(sizeof(pluginDataRec) == 144, "the record is 144 bytes on the 32-bit little-endian build");
#endif

struct pluginWorkSpace {
    pluginDataPtr theConfig;
    _PluginParams* iMovieParams;
    GrafPtr sourceClip;
    GrafPtr theFXClip;
    SInt32 currFrameIndex;
    SInt32 minFrameIndex;
    SInt32 maxFrameIndex;
    SInt16 activeRel;
    ControlRef theFrameCtrl;
    ControlRef sliders[cNumSliders];
    ControlRef clipSlider;
    ControlRef colors[cNumColors];
    WindowRef theWindow;
};

extern pluginDataPtr gTheConfig;
extern pluginWorkSpace gConfigWorkSpace;
