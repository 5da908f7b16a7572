// Any bytes as the settings file: the start-up read, then a save and a read
// back, as the plug-in does them.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzTarget.h"
#include "config/DataHandling.h"
#include "config/prefsloader.h"

namespace {

// A settings folder of the run's own, removed when the run ends.
struct SettingsFolder {
    SettingsFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "mvfuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
    }
    ~SettingsFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
};

std::filesystem::path settingsFile() {
    static SettingsFolder settings;
    return settings.folder / "kwtrp-Prefs";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(settingsFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    pluginDataRec config{};
    ResetConfig(&config, true);
    if (ReadConfig(&config)) {
        // What was accepted saves and reads back to the same settings.
        pluginDataRec back{};
        ResetConfig(&back, true);
        if (!SaveConfig(&config) || !ReadConfig(&back)) std::abort();
        if (std::memcmp(&back.startRel, &config.startRel, sizeof config.startRel) != 0 ||
            std::memcmp(back.sliders, config.sliders, sizeof config.sliders) != 0 ||
            std::memcmp(back.colors, config.colors, sizeof config.colors) != 0 || back.mediaType != config.mediaType)
            std::abort();
    }
    return 0;
}
