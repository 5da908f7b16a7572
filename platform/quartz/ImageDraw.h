// Drawing an image into pixels under an affine map, nearest pixel by pixel
// centres, and clearing the pixels a transformed rectangle covers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mv {

// (x, y) -> (a x + c y + tx, b x + d y + ty), as CGAffineTransform.
struct Affine {
    double a, b, c, d, tx, ty;
};

Affine Concat(const Affine& first, const Affine& then);
// False for a map that flattens the plane.
bool Invert(const Affine& m, Affine& inverse);

struct Plane {
    std::uint8_t* pixels;
    std::ptrdiff_t rowBytes;
    int width, height;
};

// The pixel box [x0, x1) x [y0, y1) of plane that the rectangle
// [0, w) x [0, h) covers under toPlane, clipped to the plane.
struct Box {
    int x0, y0, x1, y1;
};
Box CoveredBox(const Affine& toPlane, double w, double h, const Plane& plane);

struct DrawJob {
    Plane dst;
    const std::uint8_t* src;
    std::ptrdiff_t srcRowBytes;
    int srcWidth, srcHeight;
    Affine toSource;  // destination pixel coordinates to source pixel coordinates
    Box box;
    int weight;  // opacity in 256ths
};

// Pixel by pixel; the yardstick for DrawImage.
void DrawImageReference(const DrawJob& job);
// Whole rows for an unscaled upright image, a gathered row otherwise.
void DrawImage(const DrawJob& job);

// Sets to 0 the pixels of box whose centres toUnit maps into [0, 1) x [0, 1).
void ClearCovered(const Plane& dst, const Affine& toUnit, const Box& box);

}  // namespace mv
