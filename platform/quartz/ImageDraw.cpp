#include "quartz/ImageDraw.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "quartz/Composite.h"

namespace mv {
namespace {

struct Sample {
    bool inside;
    int x, y;
};

Sample SampleAt(const DrawJob& job, int px, int py) {
    const double cx = px + 0.5, cy = py + 0.5;
    const Affine& m = job.toSource;
    const double sx = m.a * cx + m.c * cy + m.tx;
    const double sy = m.b * cx + m.d * cy + m.ty;
    if (!(sx >= 0 && sy >= 0 && sx < job.srcWidth && sy < job.srcHeight)) return {false, 0, 0};
    return {true, static_cast<int>(sx), static_cast<int>(sy)};
}

const std::uint8_t* SrcPixel(const DrawJob& job, int x, int y) {
    return job.src + y * job.srcRowBytes + std::ptrdiff_t{x} * 4;
}

std::uint8_t* DstPixel(const Plane& p, int x, int y) {
    return p.pixels + y * p.rowBytes + std::ptrdiff_t{x} * 4;
}

// An unscaled upright map: a whole-pixel shift, within rounding of the
// single-precision transform, which cannot move a centre across a pixel.
bool WholeShift(const Affine& m, int& dx, int& dy) {
    constexpr double eps = 1e-6;
    if (std::fabs(m.a - 1) > eps || std::fabs(m.d - 1) > eps || std::fabs(m.b) > eps ||
        std::fabs(m.c) > eps)
        return false;
    const double rx = std::nearbyint(m.tx), ry = std::nearbyint(m.ty);
    if (std::fabs(m.tx - rx) > eps || std::fabs(m.ty - ry) > eps) return false;
    if (std::fabs(rx) > 1e9 || std::fabs(ry) > 1e9) return false;
    dx = static_cast<int>(rx);
    dy = static_cast<int>(ry);
    return true;
}

void DrawShifted(const DrawJob& job, int dx, int dy) {
    const int x0 = std::max(job.box.x0, -dx), x1 = std::min(job.box.x1, job.srcWidth - dx);
    const int y0 = std::max(job.box.y0, -dy), y1 = std::min(job.box.y1, job.srcHeight - dy);
    if (x0 >= x1) return;
    for (int y = y0; y < y1; ++y)
        CompositeRow(SrcPixel(job, x0 + dx, y + dy), DstPixel(job.dst, x0, y), x1 - x0, job.weight);
}

void DrawGathered(const DrawJob& job) {
    const int count = job.box.x1 - job.box.x0;
    if (count <= 0) return;
    thread_local std::vector<std::uint8_t> row;
    row.resize(std::size_t(count) * 4);
    for (int y = job.box.y0; y < job.box.y1; ++y) {
        for (int i = 0; i < count; ++i) {
            const Sample s = SampleAt(job, job.box.x0 + i, y);
            if (s.inside)
                std::memcpy(&row[std::size_t(i) * 4], SrcPixel(job, s.x, s.y), 4);
            else
                std::memset(&row[std::size_t(i) * 4], 0, 4);  // transparent leaves the pixel
        }
        CompositeRow(row.data(), DstPixel(job.dst, job.box.x0, y), count, job.weight);
    }
}

}  // namespace

Affine Concat(const Affine& m, const Affine& n) {
    return {m.a * n.a + m.b * n.c,       m.a * n.b + m.b * n.d,
            m.c * n.a + m.d * n.c,       m.c * n.b + m.d * n.d,
            m.tx * n.a + m.ty * n.c + n.tx, m.tx * n.b + m.ty * n.d + n.ty};
}

bool Invert(const Affine& m, Affine& inv) {
    const double det = m.a * m.d - m.b * m.c;
    if (!std::isfinite(det) || std::fabs(det) < 1e-12) return false;
    inv.a = m.d / det;
    inv.b = -m.b / det;
    inv.c = -m.c / det;
    inv.d = m.a / det;
    inv.tx = -(inv.a * m.tx + inv.c * m.ty);
    inv.ty = -(inv.b * m.tx + inv.d * m.ty);
    return true;
}

Box CoveredBox(const Affine& m, double w, double h, const Plane& plane) {
    const double xs[4] = {0, w, 0, w}, ys[4] = {0, 0, h, h};
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (int i = 0; i < 4; ++i) {
        const double x = m.a * xs[i] + m.c * ys[i] + m.tx;
        const double y = m.b * xs[i] + m.d * ys[i] + m.ty;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    auto clampTo = [](double v, int hi) {
        if (!(v > 0)) return 0;  // also NaN
        return v >= hi ? hi : static_cast<int>(v);
    };
    Box b;
    b.x0 = clampTo(std::floor(minX), plane.width);
    b.y0 = clampTo(std::floor(minY), plane.height);
    b.x1 = clampTo(std::ceil(maxX), plane.width);
    b.y1 = clampTo(std::ceil(maxY), plane.height);
    return b;
}

void DrawImageReference(const DrawJob& job) {
    for (int y = job.box.y0; y < job.box.y1; ++y)
        for (int x = job.box.x0; x < job.box.x1; ++x) {
            const Sample s = SampleAt(job, x, y);
            if (s.inside)
                CompositeRowReference(SrcPixel(job, s.x, s.y), DstPixel(job.dst, x, y), 1, job.weight);
        }
}

void DrawImage(const DrawJob& job) {
    int dx, dy;
    if (WholeShift(job.toSource, dx, dy))
        DrawShifted(job, dx, dy);
    else
        DrawGathered(job);
}

void ClearCovered(const Plane& dst, const Affine& m, const Box& box) {
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            const double u = m.a * cx + m.c * cy + m.tx;
            const double v = m.b * cx + m.d * cy + m.ty;
            if (u >= 0 && u < 1 && v >= 0 && v < 1) std::memset(DstPixel(dst, x, y), 0, 4);
        }
}

}  // namespace mv
