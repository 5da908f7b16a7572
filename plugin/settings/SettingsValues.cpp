#include "settings/SettingsValues.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

namespace settings {
namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> SplitCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto comma = text.find(',');
        parts.push_back(Trim(text.substr(0, comma)));
        if (comma == std::string_view::npos) return parts;
        text.remove_prefix(comma + 1);
    }
}

// from_chars accepts "inf" and "nan"; finiteness is the caller's check.
std::optional<double> ToDouble(std::string_view text) {
    double value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end) return std::nullopt;
    return value;
}

constexpr char kRegionRule[] =
    "region must be four fractions L,R,T,B with 0 <= L < R <= 1 and 0 <= T < B <= 1";

std::string Lower(std::string_view text) {
    std::string out(text);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

Parsed<relRect> ParseRegion(std::string_view text) {
    const auto parts = SplitCommas(text);
    if (parts.size() != 4) return {std::nullopt, std::string(kRegionRule) + ", got '" + std::string(text) + "'"};
    std::array<double, 4> v{};
    for (size_t i = 0; i < 4; ++i) {
        const auto d = ToDouble(parts[i]);
        if (!d || !std::isfinite(*d))
            return {std::nullopt, std::string(kRegionRule) + ": '" + std::string(parts[i]) + "' is not a finite number"};
        v[i] = *d;
    }
    const bool inRange = 0.0 <= v[0] && v[0] < v[1] && v[1] <= 1.0 && 0.0 <= v[2] && v[2] < v[3] && v[3] <= 1.0;
    if (!inRange) return {std::nullopt, std::string(kRegionRule) + ", got '" + std::string(text) + "'"};
    return {relRect{v[0], v[1], v[2], v[3]}, {}};
}

Parsed<SInt16> ParsePercent(std::string_view text) {
    const auto t = Trim(text);
    int value = -1;
    const auto* end = t.data() + t.size();
    const auto [ptr, ec] = std::from_chars(t.data(), end, value);
    if (t.empty() || ec != std::errc{} || ptr != end || value < 0 || value > 100)
        return {std::nullopt, "must be a whole number of percent from 0 to 100, got '" + std::string(text) + "'"};
    return {static_cast<SInt16>(value), {}};
}

Parsed<bool> ParseSwitch(std::string_view text) {
    const auto t = Lower(Trim(text));
    if (t == "on") return {true, {}};
    if (t == "off") return {false, {}};
    return {std::nullopt, "must be 'on' or 'off', got '" + std::string(text) + "'"};
}

Parsed<SInt16> ParseMedia(std::string_view text) {
    const auto t = Lower(Trim(text));
    if (t == "ntsc") return {cMediaNTSC, {}};
    if (t == "pal") return {cMediaPAL, {}};
    if (t == "hd") return {cMediaHD, {}};
    return {std::nullopt, "must be 'ntsc', 'pal' or 'hd', got '" + std::string(text) + "'"};
}

std::string FormatFraction(double value) {
    std::array<char, 32> buf{};
    const auto [ptr, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    return ec == std::errc{} ? std::string(buf.data(), ptr) : std::string("?");
}

std::string FormatMedia(SInt16 mediaType) {
    switch (mediaType) {
        case cMediaNTSC: return "ntsc (720 x 480)";
        case cMediaPAL: return "pal (720 x 576)";
        case cMediaHD: return "hd (960 x 540)";
        default: return "unknown (" + std::to_string(mediaType) + "; the dialog uses the ntsc layout)";
    }
}

std::string FormatSettings(const pluginDataRec& config) {
    const relRect& r = config.startRel;
    std::string out;
    out += "region: left " + FormatFraction(r.left) + ", right " + FormatFraction(r.right) + ", top " +
           FormatFraction(r.top) + ", bottom " + FormatFraction(r.bottom) + "\n";
    out += "zoom-in: " + std::to_string(config.sliders[0]) + " %\n";
    out += "zoom-out: " + std::to_string(config.sliders[1]) + " %\n";
    out += "overlay: " + std::to_string(config.sliders[2]) + " %\n";
    out += std::string("keep proportions: ") + (config.keepProps ? "on" : "off") + "\n";
    out += "media: " + FormatMedia(config.mediaType) + "\n";
    return out;
}

}  // namespace settings
