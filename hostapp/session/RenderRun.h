// Drives the plug-in exactly as the original host does: a description, then
// one render run of kPlugInitialize, kPlugDoFrame per frame and kPlugTerminate,
// one call at a time from this thread, while decoding and encoding run on
// worker threads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frames/ArgbImage.h"
#include "session/HostCallbacks.h"
#include "session/PluginLoader.h"

namespace mv {

// kPlugGetInfo into a fresh block; fails unless the plug-in is a filter and answers 0.
HYPluginParams describePlugin(const Plugin& plugin, HostSession& session, std::int64_t selectedFrames);

struct RunRequest {
    std::int64_t start = 0;   // first source frame
    std::int64_t frames = 0;  // how many
    int width = 0;
    int height = 0;
    bool proxy = false;
    int channels = 0;         // of the output's sound; 0 for none
};

// Receives each rendered frame, on the encoding thread, in order.
using FrameSink = std::function<void(ArgbView frame, std::int64_t index, const float* sound, int length)>;

// One render run; frames go to `sink`. `lengthOf` gives each output frame's
// sound length. Fails with one line naming the frame and the plug-in's result.
void renderRun(const Plugin& plugin, HostSession& session, const HYPluginParams& described,
               const RunRequest& request, const std::function<int(std::int64_t)>& lengthOf,
               const FrameSink& sink);

// Fails with one line: why the host's frame could not be had, when it knows,
// and the plug-in's result `during` what.
[[noreturn]] void pluginFailed(const HostSession& session, const std::string& during, int result);

}  // namespace mv
