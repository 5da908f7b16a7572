#include "dialog/aboutWindow.h"

#include "config/PluginDefines.h"
#include "dialog/carbonmacros.h"
#include "util/NibWindows.h"
#include "util/PascalStrings.h"

namespace {

WindowRef lgTheWindow = nullptr;
SInt16 lgItemHit = -1;

}  // namespace

void ShowAbout() {
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);

    lgTheWindow = OpenNibWindowFromCFBundle(cMyBundleID, "about", "about");
    if (!lgTheWindow) return;
    const EventTypeSpec commands[] = {{kEventClassCommand, kEventCommandProcess}};
    InstallEventHandler(GetWindowEventTarget(lgTheWindow), NewEventHandlerUPP(AboutDialogHandler), 1, commands,
                        lgTheWindow, nullptr);

    Str255 text;
    CopyCToPString(cMyClearName, text);
    SimpleSetControlText(lgTheWindow, MV_FOURCC('P', 'l', 'u', 'g'), 1, text);
    CopyCToPString("Version ", text);
    PStrCatC(text, cPlugVersion);
    SimpleSetControlText(lgTheWindow, MV_FOURCC('V', 'e', 'r', 's'), 1, text);

    ShowWindow(lgTheWindow);
    BringToFront(lgTheWindow);
    RunAppModalLoopForWindow(lgTheWindow);

    DisposeWindow(lgTheWindow);
    lgTheWindow = nullptr;
    SetGWorld(savedPort, savedDevice);
}

OSStatus AboutDialogHandler(EventHandlerCallRef, EventRef theEvent, void* userData) {
    OSStatus result = eventNotHandledErr;
    HICommand command{};
    GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
    const std::string commandStr = CommandID2Str(command.commandID);
    lgItemHit = -1;
    if (commandStr == "ok  ") {
        lgItemHit = 1;
        QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
        result = noErr;
    } else if (commandStr == "not!") {
        lgItemHit = 2;
        QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
        result = noErr;
    }
    return result;
}
