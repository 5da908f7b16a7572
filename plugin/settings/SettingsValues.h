// Text to setting values and back for the headless settings editor: every
// value a user types is checked here before it reaches the record.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/PluginDefines.h"

namespace settings {

// A parse result: the value, or a one-line reason the text was refused.
template <typename T>
struct Parsed {
    std::optional<T> value;
    std::string error;
};

// "L,R,T,B": finite fractions with 0 <= L < R <= 1 and 0 <= T < B <= 1.
Parsed<relRect> ParseRegion(std::string_view text);
// A whole number of percent, 0 to 100.
Parsed<SInt16> ParsePercent(std::string_view text);
// "on" or "off".
Parsed<bool> ParseSwitch(std::string_view text);
// "ntsc", "pal" or "hd", as the media type numbers of the record.
Parsed<SInt16> ParseMedia(std::string_view text);

// The shortest text that reads back as the same double.
std::string FormatFraction(double value);
// "ntsc (720 x 480)", or "unknown (N)" for a value no build writes.
std::string FormatMedia(SInt16 mediaType);
// The readable summary that `show` prints, one setting a line.
std::string FormatSettings(const pluginDataRec& config);

}  // namespace settings
