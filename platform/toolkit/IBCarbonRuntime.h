/* Windowing toolkit: windows made from interface files. A bundle's interface
 * file NAME is the folder Resources/NAME.nib/; window W in it is W.ui there,
 * a Qt Designer file. Each control carries its signature ("signature", four
 * characters), id ("id") and command ("command", four characters) as
 * properties; a custom control is a widget whose class is the identifier of
 * a registered custom control class. */
#ifndef MV_IBCARBONRUNTIME_H
#define MV_IBCARBONRUNTIME_H

#include "MacTypes.h"
#include "system/CFBundle.h"
#include "toolkit/MacWindows.h"

MV_EXTERN_C_BEGIN

typedef struct OpaqueIBNibRef* IBNibRef;

enum {
    kIBCarbonRuntimeCantFindNibFile = -10960,
    kIBCarbonRuntimeObjectNotOfRequestedType = -10961,
    kIBCarbonRuntimeCantFindObject = -10962,
    /* This platform's own: no screen to open windows on (neither DISPLAY nor
     * WAYLAND_DISPLAY nor QT_QPA_PLATFORM set); one line on standard error
     * says so. */
    kMVNoDisplayErr = -10970
};

/* kIBCarbonRuntimeCantFindNibFile when the bundle has no such file. */
MV_API OSStatus CreateNibReferenceWithCFBundle(CFBundleRef inBundle, CFStringRef inNibName, IBNibRef* outNibRef);
/* The window, hidden. kIBCarbonRuntimeCantFindObject when the file has no
 * such window or it cannot be read; errToolboxObjectClassNotFound when it
 * names a custom control class that is not registered. */
MV_API OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef* outWindow);
MV_API void DisposeNibReference(IBNibRef inNibRef);

MV_EXTERN_C_END

#endif
