// A region as fractions of a reference frame: the whole frame is
// (0, 1, 0, 1). The configuration record holds two; the engine converts
// them to and from pixel rectangles.
#pragma once

struct relRect {
    double left;
    double right;
    double top;
    double bottom;
};
