// A tiled picture of evenly spaced output frames with their numbers, so the
// course can be seen at a glance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frames/ArgbImage.h"
#include "frames/Colour.h"

namespace mv {

class ContactSheet {
public:
    ContactSheet(std::int64_t frameCount, int frameWidth, int frameHeight);

    // Whether output frame `index` is on the sheet.
    bool wants(std::int64_t index) const;
    // Places output frame `index` (one the sheet wants) in its tile.
    void add(std::int64_t index, ArgbView frame);
    // Labelled with the frames' colour description.
    void write(const std::string& path, const ColourDescription& colour);

    const std::vector<std::int64_t>& frames() const { return frames_; }

private:
    std::vector<std::int64_t> frames_;
    int columns_ = 1;
    int tileWidth_ = 0;
    int tileHeight_ = 0;
    ArgbImage sheet_;
};

}  // namespace mv
