// morvatelle: renders video files and photos through the plug-in bundle.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>

#include <unistd.h>

#include "commands/Commands.h"
#include "common/HostError.h"
#include "common/Interrupt.h"
#include "output/TemporaryFiles.h"
#include "toolkit/Processes.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

int report(const std::string& message) {
    // Ended by a signal: the watcher may already be saying so and ending the process.
    if (!mv::claimClosingLine()) for (;;) pause();
    std::fprintf(stderr, "morvatelle: %s\n", mv::interrupted() ? "interrupted" : message.c_str());
    return mv::interrupted() ? mv::interruptStatus() : 1;
}

void addStillOptions(CLI::App* cmd, std::optional<double>& duration, std::string& fps) {
    cmd->add_option("--duration", duration, "Show a still image INPUT for SECONDS (default 5)")->type_name("SECONDS");
    cmd->add_option("--fps", fps, "Frame rate of a still image (default 30)")->type_name("RATE");
}

}  // namespace

int main(int argc, char** argv) {
    // FFmpeg's own reports would break the one-line rule for failures.
    av_log_set_level(AV_LOG_QUIET);
    CLI::App app{"morvatelle: renders video files and photos through the Morva Telle plug-in"};
    app.require_subcommand(1);
    app.fallthrough();
    std::string bundle;
    app.add_option("--bundle", bundle, "The plug-in bundle to load (default: the one built beside this program)")
        ->type_name("PATH");

    mv::RenderOptions render;
    CLI::App* renderCmd = app.add_subcommand("render", "Render a clip (or the embedded default clip) through the effect");
    renderCmd->add_option("input", render.input, "Any video FFmpeg reads, or a still image (a photo)")
        ->type_name("INPUT");
    renderCmd->add_option("-o,--output", render.output,
                          "OUTPUT: .mp4/.mov (H.264, AAC), .mkv (FFV1, FLAC: lossless), .webm (VP9, Opus) "
                          "or NAME%05d.png; - for standard output (with --format)")
        ->required();
    renderCmd->add_option("--format", render.format,
                          "For -o -: y4m (the picture, YUV 4:2:0) or nut (picture and sound, uncompressed)")
        ->check(CLI::IsMember({"y4m", "nut"}));
    addStillOptions(renderCmd, render.duration, render.fps);
    renderCmd->add_option("--fade-in", render.fadeIn, "Fade the effect in over N frames")->type_name("N");
    renderCmd->add_option("--fade-out", render.fadeOut, "Fade the effect out over N frames")->type_name("N");
    renderCmd->add_flag("--proxy", render.proxy, "A quick proxy render: low-quality frames, no sound mixed");
    renderCmd->add_option("--size", render.size, "Output size (default: the source's)")->type_name("WxH");
    renderCmd->add_option("--start", render.start, "First source frame of the clip (default 0)")->type_name("FRAME");
    renderCmd->add_option("--frames", render.frames, "Number of frames (default: to the end)")->type_name("N");
    renderCmd->add_option("--crf", render.crf, "Quality of H.264 / VP9 (default 18; lower is better)")->type_name("N");
    std::vector<float> sliders;
    renderCmd->add_option("--host-sliders", sliders, "The host's three slider values (default: the plug-in's)")
        ->delimiter(',')
        ->expected(3)
        ->type_name("A,B,C");
    renderCmd->add_option("--contact-sheet", render.contactSheet, "Also write a sheet of evenly spaced frames")
        ->type_name("FILE.png");

    CLI::App* infoCmd = app.add_subcommand("info", "Show the plug-in's description");

    mv::ThumbnailOptions thumb;
    CLI::App* thumbCmd = app.add_subcommand("thumbnail", "Write the plug-in's placeholder frame as a PNG");
    thumbCmd->add_option("input", thumb.input, "Any video FFmpeg reads, or a still image (a photo)")
        ->type_name("INPUT")
        ->required();
    thumbCmd->add_option("-o,--output", thumb.output, "The PNG to write")->type_name("FILE.png")->required();
    thumbCmd->add_option("--frame", thumb.frame, "The frame to show (default 0)")->type_name("N");
    thumbCmd->add_option("--size", thumb.size, "Size of the picture (default: the source's)")->type_name("WxH");
    addStillOptions(thumbCmd, thumb.duration, thumb.fps);

    mv::ConfigureOptions configure;
    CLI::App* configureCmd = app.add_subcommand(
        "configure", "Open the effect's dialog on a clip (or the embedded default clip); accepted settings are kept");
    configureCmd->add_option("input", configure.input, "Any video FFmpeg reads, or a still image (a photo)")
        ->type_name("INPUT");
    addStillOptions(configureCmd, configure.duration, configure.fps);

    CLI::App* settingsCmd = app.add_subcommand(
        "settings", "The effect's settings: show | set [--region L,R,T,B] [...] | reset (see: settings --help)");
    settingsCmd->prefix_command();
    settingsCmd->allow_extras();
    settingsCmd->fallthrough(false);
    settingsCmd->set_help_flag();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "morvatelle: %s (see --help)\n", e.what());
        return 2;
    }

    try {
        if (settingsCmd->parsed()) return mv::runSettings(settingsCmd->remaining());
        if (infoCmd->parsed()) return mv::runInfo(bundle);
        // A fatal stop in the plug-in, or a signal, takes the temporary output with it.
        MVInstallExitToShellProc([] { mv::removeTemporaries(); });
        mv::installInterruptHandler(mv::removeTemporaries);
        if (configureCmd->parsed()) {
            configure.bundle = bundle;
            return mv::runConfigure(configure);
        }
        if (thumbCmd->parsed()) {
            thumb.bundle = bundle;
            return mv::runThumbnail(thumb);
        }
        render.bundle = bundle;
        if (!sliders.empty()) render.hostSliders = std::array<float, 3>{sliders[0], sliders[1], sliders[2]};
        return mv::runRender(render);
    } catch (const mv::HostError& e) {
        return report(e.what());
    } catch (const std::bad_alloc&) {
        return report("out of memory");
    } catch (const std::exception& e) {
        return report(e.what());
    }
}
