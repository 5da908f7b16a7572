/* Color Picker: a modal colour chooser that starts from a given colour and
 * shows a prompt. Only the record's colour, prompt and answer are used:
 * profiles, placement, picker type and procedures are taken as given, and
 * the chooser appears over the active window. */
#ifndef MV_COLORPICKER_H
#define MV_COLORPICKER_H

#include "MacTypes.h"
#include "quickdraw/QuickDraw.h"
#include "toolkit/IBCarbonRuntime.h"

MV_EXTERN_C_BEGIN

typedef struct OpaqueCMProfileRef* CMProfileRef;
typedef void* UserEventUPP;
typedef void* NColorChangedUPP;

typedef struct CMRGBColor {
    UInt16 red, green, blue;
} CMRGBColor;

typedef union CMColor {
    CMRGBColor rgb;
    UInt16 component[8];
} CMColor;

typedef struct NPMColor {
    CMProfileRef profile;
    CMColor color;
} NPMColor;

typedef struct PickerMenuItemInfo {
    SInt16 editMenuID, cutItem, copyItem, pasteItem, clearItem, undoItem;
} PickerMenuItemInfo;

typedef SInt16 DialogPlacementSpec;

typedef struct NColorPickerInfo {
    NPMColor theColor;
    CMProfileRef dstProfile;
    UInt32 flags;
    DialogPlacementSpec placeWhere;
    Point dialogOrigin;
    OSType pickerType;
    UserEventUPP eventProc;
    NColorChangedUPP colorProc;
    uintptr_t colorProcData;
    Str255 prompt;
    PickerMenuItemInfo mInfo;
    Boolean newColorChosen;
    UInt8 reserved;
} NColorPickerInfo;

enum {
    kColorPickerDialogIsMoveable = 1,
    kColorPickerDialogIsModal = 2,
    kColorPickerAppIsColorSyncAware = 16,
    kColorPickerInPickerDialog = 128
};

enum { kAtSpecifiedOrigin = 0, kDeepestColorScreen = 1, kCenterOnMainScreen = 2 };

/* Runs the chooser with theColor.color.rgb to start from and the prompt as
 * its title. newColorChosen tells whether the user took a colour, which is
 * then in theColor.color.rgb. kMVNoDisplayErr where no display opens. */
MV_API OSErr NPickColor(NColorPickerInfo* theColorInfo);

MV_EXTERN_C_END

#endif
