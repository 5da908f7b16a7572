// morvatelle render: a clip through the plug-in into a new video file.
#include <csignal>
#include <memory>

#include "output/AtomicOutput.h"
#include "commands/ClipOpening.h"
#include "commands/Commands.h"
#include "output/ContactSheet.h"
#include "output/Encoder.h"
#include "common/HostError.h"
#include "output/OutputFormat.h"
#include "commands/Paths.h"
#include "session/PluginLoader.h"
#include "session/RenderRun.h"

namespace mv {

namespace {

void checkRange(const RenderOptions& o, const ClipInfo& clip, std::int64_t& frames) {
    if (o.start < 0 || o.start >= clip.frameCount)
        fail("--start " + std::to_string(o.start) + ": " + clip.name + " has frames 0 to " +
             std::to_string(clip.frameCount - 1));
    frames = o.frames.value_or(clip.frameCount - o.start);
    if (frames <= 0) fail("--frames must be at least 1");
    if (o.start + frames > clip.frameCount)
        fail("--start " + std::to_string(o.start) + " --frames " + std::to_string(frames) + ": " + clip.name +
             " has only " + std::to_string(clip.frameCount) + " frames");
    if (frames > INT32_MAX) fail(clip.name + ": too many frames");
}

void checkOptions(const RenderOptions& o) {
    if (o.fadeIn < 0 || o.fadeOut < 0) fail("--fade-in and --fade-out are frame counts of 0 or more");
    if (o.crf < 0 || o.crf > 63) fail("--crf must be between 0 and 63");
}

void checkOutput(const RenderOptions& o, const OutputFormat& format, const ClipInfo& clip, int width, int height) {
    if (!o.input.empty() && !isStandardOutput(o.output) && sameFile(o.input, o.output))
        fail(o.output + ": is the input; choose another output name");
    if (!o.contactSheet.empty() && !o.input.empty() && sameFile(o.input, o.contactSheet))
        fail(o.contactSheet + ": is the input; choose another name for the contact sheet");
    if (format.evenSize && (width % 2 || height % 2))
        fail(std::to_string(width) + "x" + std::to_string(height) + ": " + format.videoEncoder +
             " needs an even width and height; choose one with --size or render to .mkv");
    if (!o.contactSheet.empty()) checkWritableDestination(o.contactSheet);
    // Without its description an HDR picture is shown as SDR: flat and pale.
    if (clip.colour.highDynamicRange() && !format.carriesHdr)
        fail((isStandardOutput(o.output) ? "--format " + o.format : o.output) +
             ": cannot carry this clip's HDR colour description (" + clip.colour.describe() +
             "); render to .mp4, .mov, .mkv or .webm");
}

// The source's pixel shape, reshaped when --size changes the proportions,
// so the picture keeps its shape on screen.
AVRational outputAspect(const ClipInfo& clip, int width, int height) {
    AVRational aspect{1, 1};
    av_reduce(&aspect.num, &aspect.den, std::int64_t{clip.pixelAspect.num} * clip.width * height,
              std::int64_t{clip.pixelAspect.den} * clip.height * width, 1 << 20);
    return knownAspect(aspect);
}

}  // namespace

int runRender(const RenderOptions& o) {
    checkOptions(o);
    OutputFormat format = outputFormatFor(o.output, o.format);
    Clip clip = openClip(o.input, o.duration, o.fps);
    int width = 0, height = 0;
    parseSize(o.size, clip.info, width, height);
    std::int64_t frames = 0;
    checkRange(o, clip.info, frames);
    checkOutput(o, format, clip.info, width, height);

    Plugin plugin(bundleOrDefault(o.bundle));
    HostSession session(clip);
    HYPluginParams described = describePlugin(plugin, session, frames);
    FilterSettings filter;
    for (int i = 0; i < 3; ++i) filter.sliders[i] = described.getInfo2.filterSliders[i].defaultValue;
    if (o.hostSliders) filter.sliders = *o.hostSliders;
    filter.fadeInFrames = o.fadeIn;
    filter.fadeOutFrames = o.fadeOut;
    session.setFilterSettings(filter);

    bool sound = clip.audio && format.audioEncoder;
    std::unique_ptr<AudioTrack> track;
    if (sound) track = std::make_unique<AudioTrack>(*clip.audio, clip.info.frameRate);

    AtomicOutput output(o.output, format.sequence);
    EncoderSettings settings;
    settings.width = width;
    settings.height = height;
    settings.frameRate = clip.info.frameRate;
    settings.pixelAspect = outputAspect(clip.info, width, height);
    // A stream that cannot say its matrix is written in the one its readers
    // assume for its size, so they show the colours the source has.
    settings.colour = format.carriesMatrix ? clip.info.colour : resolveColour({}, width, height, false);
    settings.crf = o.crf;
    settings.audio = sound;
    if (sound) {
        settings.sampleRate = clip.audio->sampleRate();
        settings.layout = &clip.audio->layout();
    }
    // A reader that goes away ends the render with a write error, not a signal.
    if (isStandardOutput(o.output)) std::signal(SIGPIPE, SIG_IGN);
    Encoder encoder(isStandardOutput(o.output) ? "standard output" : o.output, output.writePath(), format, settings);
    std::unique_ptr<ContactSheet> sheet;
    if (!o.contactSheet.empty()) sheet = std::make_unique<ContactSheet>(frames, width, height);

    RunRequest request;
    request.start = o.start;
    request.frames = frames;
    request.width = width;
    request.height = height;
    request.proxy = o.proxy;
    request.channels = sound ? clip.audio->layout().nb_channels : 0;
    FrameSink sink = [&](ArgbView frame, std::int64_t index, const float* samples, int length) {
        encoder.writeVideo(frame);
        if (sound) encoder.writeAudio(samples, length);
        if (sheet && sheet->wants(index)) sheet->add(index, frame);
    };
    renderRun(plugin, session, described, request,
              [&](std::int64_t r) { return track ? track->frameLength(r) : 0; }, sink);
    encoder.finish();
    if (sheet) sheet->write(o.contactSheet, clip.info.colour);
    output.commit();
    return 0;
}

}  // namespace mv
