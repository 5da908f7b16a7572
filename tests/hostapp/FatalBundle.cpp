// A plug-in that stops the host the way the real one does when an assertion
// fails: a stop alert, then the platform's process end, in the middle of a
// render. The host must take its temporary output with it.
#include "hyplugin/HYPlugin.h"
#include "toolkit/Processes.h"

#include <cstdio>

extern "C" MV_API int FatalMain(SInt16 which, HYPluginParams* params) __asm__("main");

int FatalMain(SInt16, HYPluginParams* params) {
    switch (params->selector) {
    case kPlugGetInfo:
        params->getInfo.pluginType = kPluginFilterType;
        return kPluginOK;
    case kPlugDoFrame:
        if (params->renderFrame == 5) {
            std::fprintf(stderr, "%s\n", "fatal-bundle: Assertion Failure: Assertion failed in: a test");
            ExitToShell();
        }
        return kPluginOK;
    default: return kPluginOK;
    }
}
