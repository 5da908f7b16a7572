// morvatelle-settings: the effect's settings without the dialog. It reads and
// writes the settings file through the plug-in's own configuration unit, so
// the record layout lives in one place only.
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "config/DataHandling.h"
#include "config/PluginDefines.h"
#include "config/prefsloader.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsValues.h"
#include "system/Files.h"
#include "system/Resources.h"

namespace {

constexpr char kTool[] = "morvatelle-settings";

struct SetRequest {
    std::optional<std::string> region, zoomIn, zoomOut, overlay, keepProps, media;
};

[[noreturn]] void Fail(const std::string& message) {
    std::cerr << kTool << ": " << message << "\n";
    std::exit(1);
}

// The record as the plug-in sees it at start-up: defaults, then the saved
// settings over them. False when nothing could be read.
bool LoadSettings(pluginDataRec& config) {
    config = pluginDataRec{};
    ResetConfig(&config, true);
    return ReadConfig(&config);
}

std::string Location() {
    const std::string path = settings::SettingsFileLocation();
    return path.empty() ? "(none: the Preferences folder is not usable)" : path;
}

void Save(pluginDataRec& config) {
    const std::string where = Location();
    if (SaveConfig(&config)) return;
    const std::string why = SaveFailureText(SaveConfigError());
    Fail("could not write the settings file " + where + (why.empty() ? "" : ": " + why));
}

int Show() {
    const std::string where = Location();
    pluginDataRec config;
    const bool saved = LoadSettings(config);
    std::cout << "settings file: " << where << (saved ? "" : " (no saved settings; these are the defaults)") << "\n"
              << settings::FormatSettings(config);
    return 0;
}

template <typename T>
T Checked(const std::string& option, const settings::Parsed<T>& parsed) {
    if (!parsed.value) Fail("--" + option + " " + parsed.error);
    return *parsed.value;
}

int Set(const SetRequest& req) {
    // Every value is checked before anything is written.
    std::optional<relRect> region;
    std::optional<SInt16> zoomIn, zoomOut, overlay, media;
    std::optional<bool> keepProps;
    if (req.region) region = Checked("region", settings::ParseRegion(*req.region));
    if (req.zoomIn) zoomIn = Checked("zoom-in", settings::ParsePercent(*req.zoomIn));
    if (req.zoomOut) zoomOut = Checked("zoom-out", settings::ParsePercent(*req.zoomOut));
    if (req.overlay) overlay = Checked("overlay", settings::ParsePercent(*req.overlay));
    if (req.keepProps) keepProps = Checked("keep-proportions", settings::ParseSwitch(*req.keepProps));
    if (req.media) media = Checked("media", settings::ParseMedia(*req.media));

    pluginDataRec config;
    LoadSettings(config);
    if (region) config.startRel = *region;
    if (zoomIn) config.sliders[0] = *zoomIn;
    if (zoomOut) config.sliders[1] = *zoomOut;
    if (overlay) config.sliders[2] = *overlay;
    if (keepProps) config.keepProps = *keepProps;
    if (media) config.mediaType = *media;
    Save(config);
    return 0;
}

int Reset() {
    pluginDataRec config{};
    ResetConfig(&config, true);
    Save(config);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Shows and changes the Morva Telle effect's saved settings, which every later render starts from."};
    app.require_subcommand(1);

    auto* show = app.add_subcommand("show", "Print the saved settings and where the settings file is.");
    auto* set = app.add_subcommand("set", "Change some settings and save them; the rest stay as they are.");
    SetRequest req;
    set->add_option("--region", req.region,
                    "Start region as fractions of the frame: L,R,T,B with 0 <= L < R <= 1, 0 <= T < B <= 1");
    set->add_option("--zoom-in", req.zoomIn, "Share of the clip spent zooming in, percent 0-100 (100 is half)");
    set->add_option("--zoom-out", req.zoomOut, "Share of the clip spent zooming out, percent 0-100 (100 is half)");
    set->add_option("--overlay", req.overlay, "Opacity of the unzoomed frame laid over the result, percent 0-100");
    set->add_option("--keep-proportions", req.keepProps, "Keep the region at the frame's proportions: on or off");
    set->add_option("--media", req.media, "Media type of the dialog's layout: ntsc, pal or hd");
    auto* reset = app.add_subcommand("reset", "Save the default settings.");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::string what = e.what();
        if (what.find("subcommand") != std::string::npos) {
            what = "give one command: show, set or reset";
            if (argc > 1 && argv[1][0] != '-') what = "unknown command '" + std::string(argv[1]) + "': " + what;
        }
        Fail(what + " (see --help)");
    }

    if (*show) return Show();
    if (*set) return Set(req);
    if (*reset) return Reset();
    return 1;
}
