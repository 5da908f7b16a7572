#include "dialog/configdlghandler.h"

#include <string>

#include "config/DataHandling.h"
#include "config/prefsloader.h"
#include "dialog/aboutWindow.h"
#include "dialog/carbonmacros.h"
#include "dialog/controls/dlgUtils.h"
#include "dialog/sliderHandlers.h"
#include "engine/lineEffect.h"
#include "engine/relRects.h"
#include "system/CFBundle.h"
#include "system/CFURL.h"
#include "toolkit/LaunchServices.h"
#include "util/ColorPacking.h"
#include "util/Diagnostics.h"
#include "util/NibWindows.h"
#include "util/PascalStrings.h"
#include "util/TextConversions.h"

namespace {

constexpr OSType kColr = MV_FOURCC('C', 'o', 'l', 'r');

WindowRef lgTheWindow = nullptr;
SInt16 lgItemHit = -1;

const char* WindowNameFor(SInt16 mediaType) {
    switch (mediaType) {
    case cMediaPAL: return "configPAL";
    case cMediaHD: return "configHD";
    default: return "configNTSC";
    }
}

// One pass: the window for the media type, up until its modal loop ends.
void RunDialogWindow(pluginDataPtr theConfig) {
    lgTheWindow = OpenNibWindowFromCFBundle(cMyBundleID, cMyPluginName, WindowNameFor(theConfig->mediaType));
    if (!lgTheWindow) {
        lgItemHit = 2;  // nothing to show: as cancelled, rather than trying again for ever
        return;
    }
    const EventTypeSpec commands[] = {{kEventClassCommand, kEventCommandProcess}};
    EventHandlerUPP handler = NewEventHandlerUPP(TheDialogHandler);
    InstallEventHandler(GetWindowEventTarget(lgTheWindow), handler, 1, commands, lgTheWindow, nullptr);
    SetupDialog(lgTheWindow, theConfig);
    ShowWindow(lgTheWindow);
    SetPort(GetWindowPort(lgTheWindow));
    BringToFront(lgTheWindow);
    lgItemHit = -1;
    RunAppModalLoopForWindow(lgTheWindow);
    if (lgItemHit < 0) lgItemHit = 2;  // the loop ended by no command: as cancelled
    DisposeWindow(lgTheWindow);
    DisposeEventHandlerUPP(handler);
}

void OpenManual() {
    CFStringRef bundleID = MakeCFStringOfC(cMyBundleID);
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(bundleID);
    CFRelease(bundleID);
    if (!bundle) return Notify("Cannot Locate Bundle. Proceed with caution. Crash imminent");
    CFStringRef name = MakeCFStringOfC("manual"), type = MakeCFStringOfC("pdf");
    CFURLRef url = CFBundleCopyResourceURL(bundle, name, type, nullptr);
    CFRelease(name);
    CFRelease(type);
    if (!url) return Notify("Cannot locate manual in bundle");
    FSRef ref;
    if (CFURLGetFSRef(url, &ref)) {
        if (const OSStatus status = LSOpenFSRef(&ref, nullptr); status != noErr) {
            Str255 number;
            char text[64];
            Num2Text(status, number);
            CopyPToCString(number, text);
            Notify(("LSOpen failed with " + std::string(text)).c_str());
        }
    }
    CFRelease(url);
}

// "Adva" and "Revi": the scrubber one frame on or back, within the clip.
void StepFrame(SInt32 by) {
    SInt32 v = GetControl32BitValue(gConfigWorkSpace.clipSlider);
    if (by > 0 ? v >= gConfigWorkSpace.maxFrameIndex : v <= 0) return;
    v += by;
    SetControl32BitValue(gConfigWorkSpace.clipSlider, v);
    gConfigWorkSpace.currFrameIndex = v;
    AccessRenderAndBlit(v);
    SetFrameCounter(v);
}

OSStatus Reset(pluginDataPtr theConfig) {
    const SInt16 mediaType = theConfig->mediaType;
    ResetConfig(theConfig, false);
    theConfig->mediaType = mediaType;
    Config2Dlg(theConfig);
    RenderLineArt(theConfig);
    ReRenderAndBlit();
    return eventNotHandledErr;
}

void ReportUnsaved() {
    const std::string why = SaveFailureText(SaveConfigError());
    const std::string text = "The settings file could not be written" + (why.empty() ? "" : ": " + why) +
                             ". The dialog comes back with your changes: OK there tries again, Cancel leaves the settings "
                             "as they were.";
    StandardWarning("The settings were not saved", text.c_str(), "OK", "");
}

}  // namespace

Boolean DoConfig(pluginDataPtr theConfig) {
    Assert(theConfig, "Nil theConfig on DoConfig");
    const pluginDataRec theBackup = *theConfig;
    Boolean unsaved = false;  // an OK whose settings could not be written
    lgItemHit = -1;  // no choice of an earlier opening stands in this one
    do {
        RunDialogWindow(theConfig);
        if (lgItemHit == 1) {
            unsaved = !SaveConfig(theConfig);
            if (unsaved) {
                // The user hears why, and the dialog comes back as it was, to cancel or try again.
                ReportUnsaved();
                lgItemHit = 0;
            }
        }
    } while (lgItemHit != 1 && lgItemHit != 2);
    if (lgItemHit == 1) return true;
    // The record as it was, but for its images: the record owns them, and the
    // backup's may have been released and replaced meanwhile.
    CGImageRef original = theConfig->theOriginalImage, rendered = theConfig->theRendered;
    *theConfig = theBackup;
    theConfig->theOriginalImage = original;
    theConfig->theRendered = rendered;
    return !unsaved;
}

void SetupDialog(WindowRef theWindow, pluginDataPtr theConfig) {
    Assert(theWindow, "Nil Window in SetupDialog");
    Assert(theConfig, "Nil theConfig in SetupDialog");
    gConfigWorkSpace.theWindow = theWindow;
    gConfigWorkSpace.theFrameCtrl = SimpleGetControlByID(theWindow, MV_FOURCC('C', 'l', 'i', 'p'), 1);
    Assert(gConfigWorkSpace.theFrameCtrl, "Cannot acces Clip 1 CTRL");
    SetupColors(theWindow, theConfig);
    SetupSliders(theWindow);
    SimpleHideControl(theWindow, MV_FOURCC('R', 'e', 'c', 't'), 1);
    SimpleHideControl(theWindow, MV_FOURCC('R', 'e', 'c', 't'), 2);
    SimpleSetControlValueByID(theWindow, MV_FOURCC('M', 'e', 'd', 'i'), 1, theConfig->mediaType);
    Config2Dlg(gConfigWorkSpace.theConfig);
    CalcAndKeepImageProps();
    RenderLineArt(gConfigWorkSpace.theConfig);
    ReRenderAndBlit();
}

void SetupColors(WindowRef theWindow, pluginDataPtr theConfig) {
    const SInt16 uses[cNumColors] = {cUsesColor1, cUsesColor2, cUsesColor3, cUsesColor4, cUsesColor5, cUsesColor6};
    const char* const messages[cNumColors] = {
        "Cannot allocate color1 in SetupDialog", "Cannot allocate color2 in SetupDialog",
        "Cannot allocate color3 in SetupDialog", "Cannot allocate color4 in SetupDialog",
        "Cannot allocate color5 in SetupDialog", "Cannot allocate color6 in SetupDialog"};
    for (SInt16 n = 1; n <= cNumColors; ++n) {
        ControlRef box = SimpleGetControlByID(theWindow, kColr, n);
        Assert(box, messages[n - 1]);
        SetControl32BitMinimum(box, 0);
        SetControl32BitMaximum(box, 0xFFFFFF);
        SetControl32BitValue(box, RGBColor2LongInt(theConfig->colors[n - 1]));
        if (uses[n - 1] == 0) {
            HideControl(box);
            SimpleHideControl(theWindow, MV_FOURCC('C', 'L', 'g', 'd'), n);
        }
        gConfigWorkSpace.colors[n - 1] = box;
    }
}

void Config2Dlg(pluginDataPtr theConfig) {
    for (SInt16 n = 1; n <= cNumColors; ++n)
        SetControl32BitValue(gConfigWorkSpace.colors[n - 1], RGBColor2LongInt(theConfig->colors[n - 1]));
    for (SInt16 n = 1; n <= cNumSliders; ++n) {
        SetControl32BitValue(gConfigWorkSpace.sliders[n - 1], theConfig->sliders[n - 1]);
        Str255 text;
        Num2Text(theConfig->sliders[n - 1], text);
        PStrCatC(text, "%");
        SimpleSetControlText(gConfigWorkSpace.theWindow, MV_FOURCC('L', 'g', 'n', 'd'), n, text);
    }
    SimpleSetControlValueByID(gConfigWorkSpace.theWindow, MV_FOURCC('K', 'e', 'e', 'p'), 1, theConfig->keepProps ? 1 : 0);
    ReRenderAndBlit();
}

OSStatus TheDialogHandler(EventHandlerCallRef, EventRef theEvent, void* userData) {
    HICommand command{};
    GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
    const std::string commandStr = CommandID2Str(command.commandID);
    pluginDataPtr theConfig = gConfigWorkSpace.theConfig;
    WindowRef theWindow = gConfigWorkSpace.theWindow;
    // Once OK or Cancel is chosen it stands, whatever arrives before the loop ends.
    if (lgItemHit == 1 || lgItemHit == 2) return noErr;
    if (commandStr == "ok  ") {
        lgItemHit = 1;
        QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
    } else if (commandStr == "not!") {
        lgItemHit = 2;
        QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
    } else if (commandStr == "Info") {
        ShowAbout();
    } else if (commandStr.size() == 4 && commandStr.compare(0, 3, "Col") == 0 && commandStr[3] >= '1' && commandStr[3] <= '6') {
        const SInt16 n = static_cast<SInt16>(commandStr[3] - '0');
        theConfig->colors[n - 1] = LongInt2RGBColor(SimpleGetControlValueByID(theWindow, kColr, n));
        ReRenderAndBlit();
    } else if (commandStr == "Adva") {
        StepFrame(1);
    } else if (commandStr == "Revi") {
        StepFrame(-1);
    } else if (commandStr == "Rset") {
        return Reset(theConfig);
    } else if (commandStr == "Medi") {
        const SInt16 before = theConfig->mediaType;
        theConfig->mediaType = static_cast<SInt16>(SimpleGetControlValueByID(theWindow, MV_FOURCC('M', 'e', 'd', 'i'), 1));
        if (theConfig->mediaType != before) {
            lgItemHit = 0;
            QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
        }
    } else if (commandStr == "Sall") {
        relRect r;
        InitRelRect(r);
        PutCurrentRel(r);
        ReRenderAndBlit();
    } else if (commandStr == "Help") {
        OpenManual();
    } else if (commandStr == "Keep") {
        theConfig->keepProps = SimpleGetControlValueByID(theWindow, MV_FOURCC('K', 'e', 'e', 'p'), 1) == 1;
        CalcAndKeepImageProps();
        ReRenderAndBlit();
    } else {
        return eventNotHandledErr;
    }
    return noErr;
}
