// morvatelle info: the plug-in's description, readable.
#include <cstdio>
#include <string>

#include "commands/ClipOpening.h"
#include "commands/Commands.h"
#include "session/HostCallbacks.h"
#include "common/HostError.h"
#include "session/PluginLoader.h"
#include "session/RenderRun.h"

namespace mv {

namespace {

// A text field of the block, which the plug-in zero-terminates within its size.
std::string field(const char* text, std::size_t capacity) { return std::string(text, strnlen(text, capacity)); }

const char* typeName(int type) {
    switch (type) {
    case kPluginTitleType: return "title";
    case kPluginTransitionBeforeType: return "transition before";
    case kPluginTransitionBetweenType: return "transition between";
    case kPluginTransitionAfterType: return "transition after";
    case kPluginFilterType: return "filter";
    default: return "unknown";
    }
}

}  // namespace

int runInfo(const std::string& bundle) {
    std::string path = bundleOrDefault(bundle);
    Plugin plugin(path);
    Clip none;
    none.info.name = "no clip";
    HostSession session(none);
    HYPluginParams p = session.newParams();
    p.selector = kPlugGetInfo;
    HYPluginResult result = plugin.call(p);
    if (result != kPluginOK) fail("the plug-in failed to describe itself: " + resultName(result));

    std::printf("Plug-in:      %s\n", plugin.libraryPath().c_str());
    std::printf("Kind:         %s (%d)\n", typeName(p.getInfo.pluginType), p.getInfo.pluginType);
    std::printf("Group:        %s\n", field(p.getInfo2.group, kHYLabelLength).c_str());
    std::printf("Button:       %s\n", field(p.getInfo3.buttonTitle, kHYButtonTitleLength).c_str());
    std::printf("Flags:        0x%08X\n", static_cast<unsigned>(p.getInfo.pluginFlags));
    std::printf("Memory:       %d bytes\n", static_cast<int>(p.getInfo2.baseMemoryNeeded));
    std::printf("Host sliders:\n");
    int number = 1;
    for (const HYPluginFilterSliderInfo& s : p.getInfo2.filterSliders) {
        std::printf("  %d. %s\n", number++, field(s.label, kHYLabelLength).c_str());
        std::printf("     %s .. %s, default %.2f\n", field(s.minLabel, kHYLabelLength).c_str(),
                    field(s.maxLabel, kHYLabelLength).c_str(), static_cast<double>(s.defaultValue));
    }
    return 0;
}

}  // namespace mv
