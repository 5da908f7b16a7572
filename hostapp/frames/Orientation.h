// The way a clip is meant to be shown when it is stored turned (a phone held
// upright, a camera mounted upside down): the plug-in and the output see the
// picture the right way up, as every player shows it.
#pragma once

#include <cstdint>
#include <vector>

#include "frames/ArgbImage.h"

namespace mv {

struct Orientation {
    int clockwise = 0;          // 0, 90, 180 or 270 degrees, applied first
    bool flipVertical = false;  // then the rows in reverse order

    bool upright() const { return clockwise == 0 && !flipVertical; }
    bool swapsSides() const { return clockwise == 90 || clockwise == 270; }
};

// From a stream's display matrix (null: none). Turns other than quarter
// turns are not followed.
Orientation orientationOf(const std::int32_t* displayMatrix);

// Stored pictures of a clip turned upright, each into a frame image of the
// upright size.
class Turner {
public:
    explicit Turner(Orientation o) : o_(o) {}
    // Where a stored picture goes first: an image of the stored orientation
    // that fits `upright` once turned, or `upright` itself when nothing turns.
    ArgbView storedFor(ArgbView upright);
    // Turns what storedFor() gave into `upright`.
    void turn(ArgbView upright);

private:
    Orientation o_;
    std::vector<std::uint8_t> stored_;
    ArgbView storedView_;
};

}  // namespace mv
