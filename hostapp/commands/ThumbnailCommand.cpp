// morvatelle thumbnail: the plug-in's placeholder frame as a PNG.
#include "output/AtomicOutput.h"
#include "commands/ClipOpening.h"
#include "commands/Commands.h"
#include "session/HostCallbacks.h"
#include "common/HostError.h"
#include "output/ImageWriter.h"
#include "commands/Paths.h"
#include "session/PluginLoader.h"
#include "session/RenderRun.h"

namespace mv {

int runThumbnail(const ThumbnailOptions& o) {
    Clip clip = openClip(o.input, o.duration, o.fps);
    int width = 0, height = 0;
    parseSize(o.size, clip.info, width, height);
    if (o.frame < 0 || o.frame >= clip.info.frameCount)
        fail("--frame " + std::to_string(o.frame) + ": " + clip.info.name + " has frames 0 to " +
             std::to_string(clip.info.frameCount - 1));
    if (!o.input.empty() && sameFile(o.input, o.output))
        fail(o.output + ": is the input; choose another output name");
    checkWritableDestination(o.output);

    Plugin plugin(bundleOrDefault(o.bundle));
    HostSession session(clip);
    HYPluginParams params = describePlugin(plugin, session, clip.info.frameCount);
    FilterSettings filter;
    for (int i = 0; i < 3; ++i) filter.sliders[i] = params.getInfo2.filterSliders[i].defaultValue;
    session.setFilterSettings(filter);
    session.setRange(o.frame, o.frame);

    GWorldPtr world = newFrameWorld(width, height);
    struct Disposer {
        GWorldPtr w;
        ~Disposer() { DisposeGWorld(w); }
    } disposer{world};
    params.selector = kPlugFilePlaceHolder;
    params.startFrame = 0;
    params.frameCount = static_cast<SInt32>(clip.info.frameCount);
    params.renderFrame = 0;
    params.getInfo.bestThumbOffset = static_cast<SInt32>(o.frame);
    params.frameRect = {0, 0, static_cast<SInt16>(height), static_cast<SInt16>(width)};
    params.frame = world;
    params.clientData = nullptr;
    HYPluginResult result = plugin.call(params);
    if (result != kPluginOK) pluginFailed(session, "to make the placeholder frame", result);
    writePng(o.output, viewOf(world), clip.info.colour);
    return 0;
}

}  // namespace mv
