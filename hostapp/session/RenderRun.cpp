#include "session/RenderRun.h"

#include <exception>
#include <thread>
#include <vector>

#include "common/BoundedQueue.h"
#include "common/HostError.h"
#include "common/Interrupt.h"
#include "common/Progress.h"

namespace mv {

namespace {

struct Job {
    int slot;
    std::int64_t index;
    std::vector<float> sound;
    int length;
};

// The encoding thread: takes rendered frames in order and gives their images back.
class EncodeWorker {
public:
    EncodeWorker(std::vector<ArgbView> views, const FrameSink& sink)
        : views_(std::move(views)), sink_(sink), jobs_(views_.size()), free_(views_.size()) {
        for (int i = 0; i < static_cast<int>(views_.size()); ++i) free_.push(i);
        thread_ = std::thread([this] { run(); });
    }
    ~EncodeWorker() {
        jobs_.close();
        free_.close();
        if (thread_.joinable()) thread_.join();
    }

    int acquire() {
        std::optional<int> slot = free_.pop();
        if (!slot) rethrow();
        return *slot;
    }
    void submit(Job job) {
        if (!jobs_.push(std::move(job))) rethrow();
    }
    // Waits for every frame to be encoded.
    void finish() {
        jobs_.close();
        thread_.join();
        if (error_) std::rethrow_exception(error_);
    }

private:
    void run() {
        try {
            while (std::optional<Job> job = jobs_.pop()) {
                sink_(views_[job->slot], job->index, job->sound.data(), job->length);
                free_.push(job->slot);
            }
        } catch (...) {
            error_ = std::current_exception();
            free_.close();
            jobs_.close();
        }
    }
    [[noreturn]] void rethrow() {
        if (thread_.joinable()) thread_.join();
        if (error_) std::rethrow_exception(error_);
        fail("the encoder stopped");
    }

    std::vector<ArgbView> views_;
    const FrameSink& sink_;
    BoundedQueue<Job> jobs_;
    BoundedQueue<int> free_;
    std::exception_ptr error_;
    std::thread thread_;
};

// Ends the render run on every path once it has begun.
class RunGuard {
public:
    RunGuard(const Plugin& plugin, HYPluginParams& params) : plugin_(plugin), params_(params) {}
    ~RunGuard() {
        params_.selector = kPlugTerminate;
        plugin_.call(params_);
    }

private:
    const Plugin& plugin_;
    HYPluginParams& params_;
};

}  // namespace

void pluginFailed(const HostSession& session, const std::string& during, int result) {
    std::string message = "the plug-in failed " + during + ": " + resultName(result);
    if (!session.frameError().empty())
        message = session.frameError() + " (the plug-in returned " + resultName(result) + " " + during + ")";
    fail(message);
}

HYPluginParams describePlugin(const Plugin& plugin, HostSession& session, std::int64_t selectedFrames) {
    HYPluginParams params = session.newParams();
    params.selector = kPlugGetInfo;
    params.getInfo2.selectedFrames = static_cast<SInt32>(selectedFrames);
    HYPluginResult result = plugin.call(params);
    if (result != kPluginOK) pluginFailed(session, "to describe itself", result);
    if (params.getInfo.pluginType != kPluginFilterType)
        fail(plugin.libraryPath() + ": not a filter plug-in (type " +
             std::to_string(params.getInfo.pluginType) + ")");
    return params;
}

void renderRun(const Plugin& plugin, HostSession& session, const HYPluginParams& described,
               const RunRequest& request, const std::function<int(std::int64_t)>& lengthOf,
               const FrameSink& sink) {
    std::vector<GWorldPtr> worlds;
    struct WorldsGuard {
        std::vector<GWorldPtr>& w;
        ~WorldsGuard() { for (GWorldPtr g : w) DisposeGWorld(g); }
    } worldsGuard{worlds};
    std::vector<ArgbView> views;
    for (int i = 0, n = framesInFlight(request.width, request.height); i < n; ++i) {
        worlds.push_back(newFrameWorld(request.width, request.height));
        views.push_back(viewOf(worlds.back()));
    }
    EncodeWorker encoder(views, sink);

    HYPluginParams params = described;
    params.startFrame = static_cast<SInt32>(request.start);
    params.frameCount = static_cast<SInt32>(request.frames);
    params.renderFrame = 0;
    params.proxyOnly = request.proxy;
    params.frameRect = {0, 0, static_cast<SInt16>(request.height), static_cast<SInt16>(request.width)};
    params.frame = worlds[0];
    params.clientData = nullptr;
    session.setRange(request.start, request.start + request.frames - 1);

    {
        params.selector = kPlugInitialize;
        HYPluginResult result = plugin.call(params);
        RunGuard guard(plugin, params);
        if (result != kPluginOK) pluginFailed(session, "to begin the render", result);

        Progress progress(request.frames);
        for (std::int64_t r = 0; r < request.frames; ++r) {
            if (interrupted()) fail("interrupted");
            int slot = encoder.acquire();
            int length = request.channels > 0 ? lengthOf(r) : 0;
            std::vector<float> sound(static_cast<std::size_t>(length) * request.channels, 0.0f);
            session.beginOutputFrame(r, request.channels > 0 ? sound.data() : nullptr, length);
            params.frame = worlds[slot];
            params.renderFrame = static_cast<SInt32>(r);
            params.selector = kPlugDoFrame;
            result = plugin.call(params);
            session.beginOutputFrame(r, nullptr, 0);
            if (result != kPluginOK) pluginFailed(session, "on frame " + std::to_string(r), result);
            encoder.submit({slot, r, std::move(sound), length});
            progress.update(r + 1);
        }
        progress.finish();
    }
    encoder.finish();
}

}  // namespace mv
