#include "util/NibWindows.h"

#include <unistd.h>

#include <cstdio>

#include "config/PluginDefines.h"
#include "system/CFBundle.h"
#include "toolkit/IBCarbonRuntime.h"
#include "util/Diagnostics.h"
#include "util/PascalStrings.h"
#include "util/TextConversions.h"

int WindowFailureStatus(OSStatus err) {
    const int low = static_cast<int>(err & 0xFF);
    return low != 0 ? low : 1;
}

WindowRef OpenNibWindowFromCFBundle(const char* theIdentifier, const char* theNib, const char* theWindow) {
    Str255 location;
    CFStringRef identifier = MakeCFStringOfC(theIdentifier);
    CopyCToPString("Cannot allocate CFSTR for ", location);
    PStrCatC(location, theIdentifier);
    char text[256];
    CopyPToCString(location, text);
    Assert(identifier, text);

    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(identifier);
    CopyCToPString("Cannot allocate bundle for ID = ", location);
    PStrCatC(location, theIdentifier);
    CopyPToCString(location, text);
    Assert(bundle, text);
    CFRetain(bundle);

    const char* nibName = theNib && theNib[0] != '\0' ? theNib : cMyPluginName;
    CFStringRef nib = MakeCFStringOfC(nibName);
    IBNibRef nibRef = nullptr;
    const OSStatus nibErr = CreateNibReferenceWithCFBundle(bundle, nib, &nibRef);
    if (nibErr != noErr) {
        Str255 description, number;
        CopyCToPString("Unable to CreateNibReferenceWithCFBundle for \"", description);
        PStrCatC(description, theIdentifier);
        PStrCatC(description, "/");
        PStrCatC(description, nibName);
        PStrCatC(description, "\" as it returned errcode #");
        Num2Text(nibErr, number);
        PStrCat(description, number);
        PStrCatC(description, ".");
        CopyPToCString(description, text);
        Terminate("OpenNibWindow Failed", text);
    }

    CFStringRef name = MakeCFStringOfC(theWindow);
    WindowRef window = nullptr;
    const OSStatus windowErr = CreateWindowFromNib(nibRef, name, &window);
    // No alert here: the process ends with the error's low byte as its status.
    if (windowErr != noErr) {
        std::fflush(nullptr);
        _exit(WindowFailureStatus(windowErr));
    }

    DisposeNibReference(nibRef);
    CFRelease(name);
    CFRelease(nib);
    CFRelease(bundle);
    CFRelease(identifier);
    return window;
}
