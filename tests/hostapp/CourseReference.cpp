#include "CourseReference.h"

#include <cstdint>

namespace mvtest {

namespace {

Region tween(int from, int to, int cur, Region a, Region b) {
    if (cur < from) return a;
    if (cur > to) return b;
    double frames = to - from, c = cur - from;
    return {a.left + (c * (b.left - a.left)) / frames, a.right + (c * (b.right - a.right)) / frames,
            a.top + (c * (b.top - a.top)) / frames, a.bottom + (c * (b.bottom - a.bottom)) / frames};
}

int edge(int size, double fraction) { return static_cast<int>(static_cast<double>(size) * fraction); }

}  // namespace

Crop courseCrop(const Course& course, int w, int h, int current, int maxFrame) {
    int in = static_cast<int>(static_cast<double>(maxFrame * course.zoomIn) / 200.0);
    int out = static_cast<int>(static_cast<double>(maxFrame * course.zoomOut) / 200.0);
    Region whole{0, 1, 0, 1}, r = course.start;
    if (current < in) r = tween(0, in, current, whole, course.start);
    else if (maxFrame - out < current) r = tween(maxFrame - out, maxFrame, current, course.start, whole);
    return {edge(w, r.left), edge(h, r.top), edge(w, r.right), edge(h, r.bottom)};
}

std::vector<std::uint8_t> zoomed(const std::vector<std::uint8_t>& rgb, int w, int h, Crop c) {
    std::vector<std::uint8_t> out(rgb.size());
    int cw = c.right - c.left, ch = c.bottom - c.top;
    for (int y = 0; y < h; ++y) {
        int sy = c.top + (2 * y + 1) * ch / (2 * h);
        for (int x = 0; x < w; ++x) {
            int sx = c.left + (2 * x + 1) * cw / (2 * w);
            for (int k = 0; k < 3; ++k)
                out[(static_cast<std::size_t>(y) * w + x) * 3 + k] = rgb[(static_cast<std::size_t>(sy) * w + sx) * 3 + k];
        }
    }
    return out;
}

int fadeOpacity(int r, int n, int fi, int fo) {
    if (fi && fo) {
        if (fi > n / 2) fi = n / 2;
        if (fo > n / 2) fo = n / 2;
    } else {
        if (fi > n) fi = n;
        if (fo > n) fo = n;
    }
    if (!((fi > 0 || fo != 0) && (r < fi || r > n - fo))) return -1;
    double t = r < fi ? static_cast<double>(r) / fi : static_cast<double>(n - r) / fo;
    return static_cast<int>((1 - t) * 255);
}

}  // namespace mvtest
