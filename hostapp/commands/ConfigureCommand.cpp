// morvatelle configure: the effect's dialog on a clip, opened as the effect's
// button opens it in an editor: the effect shown on the clip once, so that the
// plug-in knows the clip's start and length, then the button's click, during
// which the host serves the dialog's frames.
#include <string>

#include "commands/ClipOpening.h"
#include "commands/Commands.h"
#include "common/HostError.h"
#include "session/HostCallbacks.h"
#include "session/PluginLoader.h"
#include "session/RenderRun.h"
#include "toolkit/Display.h"

namespace mv {

namespace {

// One frame of a run over the whole clip: the plug-in learns where the clip
// starts and how long it is, as it does when an editor shows the effect.
void showOnce(const Plugin& plugin, HostSession& session, HYPluginParams& params, const ClipInfo& info) {
    int width = 0, height = 0;
    parseSize("", info, width, height);
    GWorldPtr world = newFrameWorld(width, height);
    struct Disposer {
        GWorldPtr w;
        ~Disposer() { DisposeGWorld(w); }
    } disposer{world};
    params.startFrame = 0;
    params.frameCount = static_cast<SInt32>(info.frameCount);
    params.renderFrame = 0;
    params.frameRect = {0, 0, static_cast<SInt16>(height), static_cast<SInt16>(width)};
    params.frame = world;
    params.clientData = nullptr;
    session.setRange(0, 0);
    params.selector = kPlugInitialize;
    HYPluginResult result = plugin.call(params);
    if (result != kPluginOK) pluginFailed(session, "to begin showing the clip", result);
    params.selector = kPlugDoFrame;
    result = plugin.call(params);
    params.selector = kPlugTerminate;
    plugin.call(params);
    if (result != kPluginOK) pluginFailed(session, "on the clip's first frame", result);
}

}  // namespace

int runConfigure(const ConfigureOptions& o) {
    // Asked before anything is loaded: the dialog would wait unseen on a
    // platform without a screen, and Qt ends the process on a display it cannot reach.
    if (std::string why; !MVDisplayUsable(false, why))
        fail("no display to open the dialog on: " + why + "; without one, change the settings with "
             "`morvatelle settings set`");
    Clip clip = openClip(o.input, o.duration, o.fps);
    Plugin plugin(bundleOrDefault(o.bundle));
    HostSession session(clip);
    HYPluginParams params = describePlugin(plugin, session, clip.info.frameCount);
    FilterSettings filter;
    for (int i = 0; i < 3; ++i) filter.sliders[i] = params.getInfo2.filterSliders[i].defaultValue;
    session.setFilterSettings(filter);
    showOnce(plugin, session, params, clip.info);

    // Any frame of the clip at the size the dialog asks; after each, the next
    // ones are decoded ahead, since stepping forward is what scrubbing does most.
    session.setRange(0, clip.info.frameCount - 1);
    params.selector = kPlugCustomButtonClick;
    params.renderFrame = 0;
    params.frame = nullptr;  // the shown frame's image is gone
    params.frameRect = {0, 0, 0, 0};
    params.clientData = nullptr;
    const HYPluginResult result = plugin.call(params);
    // A frame the dialog could not have is the host's own failure, said as such.
    if (result != kPluginOK && !session.frameError().empty()) pluginFailed(session, "to open its dialog", result);
    // The dialog has already told the user why; the status must say so too.
    if (result == kPluginOutOfDiskSpace)
        fail("the disk is full: the settings chosen in the dialog could not be saved; the saved settings are as "
             "they were");
    if (result == kPluginFailed)
        fail("the settings chosen in the dialog could not be saved (the dialog said why); the saved settings are "
             "as they were");
    if (result != kPluginOK) pluginFailed(session, "to open its dialog", result);
    return 0;
}

}  // namespace mv
