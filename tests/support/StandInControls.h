// Stand-ins for the dialog's custom control classes, registered as the
// plug-in registers its own while the dialog is up, so that its windows can
// be opened without the dialog: controls that draw nothing and pass every
// event on.
#pragma once

#include <vector>

#include "toolkit/CarbonEvents.h"

namespace mvtest {

inline OSStatus PassEveryEventOn(EventHandlerCallRef, EventRef, void*) { return eventNotHandledErr; }

inline std::vector<ToolboxObjectClassRef> RegisterStandInControls() {
    const EventTypeSpec draw[] = {{kEventClassControl, 4}};
    std::vector<ToolboxObjectClassRef> classes;
    for (const char* id : {"com.qrv.vidkitfx.clip", "com.qrv.vidkitfx.color"}) {
        CFStringRef classID = CFStringCreateWithCString(kCFAllocatorDefault, id, kCFStringEncodingUTF8);
        ToolboxObjectClassRef cls = nullptr;
        if (RegisterToolboxObjectClass(classID, nullptr, 1, draw, PassEveryEventOn, nullptr, &cls) == noErr)
            classes.push_back(cls);
        CFRelease(classID);
    }
    return classes;
}

}  // namespace mvtest
