// The zoom course written out plainly, independent of the plug-in's code:
// which crop each output frame shows, and the picture it makes.
#pragma once

#include <cstdint>
#include <vector>

namespace mvtest {

struct Region {
    double left, right, top, bottom;
};

struct Course {
    Region start{0, 1, 0, 1};
    int zoomIn = 10;   // percent, as the settings tool takes it
    int zoomOut = 50;
};

struct Crop {
    int left, top, right, bottom;
};

// The crop of a w x h frame at `current` of a clip whose course ends at maxFrame.
Crop courseCrop(const Course& course, int w, int h, int current, int maxFrame);
// The crop scaled onto the whole frame, nearest source pixel by pixel centres.
std::vector<std::uint8_t> zoomed(const std::vector<std::uint8_t>& rgb, int w, int h, Crop crop);
// The fade opacity of frame r of n frames (-1: no fade), after the plug-in limits the fades.
int fadeOpacity(int r, int n, int fadeIn, int fadeOut);

}  // namespace mvtest
