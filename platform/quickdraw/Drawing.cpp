// Pen drawing into the current port: outlines, fills, inversion and rings,
// within the port's bounds and clip rectangle.
#include <algorithm>
#include <cstdint>

#include "quickdraw/QDPort.h"

namespace {

GrafPtr CurrentPort() {
    GrafPtr port = nullptr;
    GetPort(&port);
    return port;
}

// r limited to the port's bounds and clip rectangle.
Rect Visible(GrafPtr port, const Rect& r) {
    const Rect& b = port->portBits.bounds;
    const Rect& c = port->clipRect;
    Rect v{std::max({r.top, b.top, c.top}), std::max({r.left, b.left, c.left}),
           std::min({r.bottom, b.bottom, c.bottom}), std::min({r.right, b.right, c.right})};
    if (v.left >= v.right || v.top >= v.bottom) v = Rect{0, 0, 0, 0};
    return v;
}

std::uint8_t* PixelAt(GrafPtr port, int h, int v) {
    const BitMap& bits = port->portBits;
    return reinterpret_cast<std::uint8_t*>(bits.baseAddr) + static_cast<std::ptrdiff_t>(v - bits.bounds.top) * bits.rowBytes +
           static_cast<std::ptrdiff_t>(h - bits.bounds.left) * 4;
}

enum class Ink { Fore, Back, Invert };

void Put(std::uint8_t* p, Ink ink, const GrafPtr port) {
    if (ink == Ink::Invert) {
        p[1] = static_cast<std::uint8_t>(~p[1]);
        p[2] = static_cast<std::uint8_t>(~p[2]);
        p[3] = static_cast<std::uint8_t>(~p[3]);
        return;
    }
    const RGBColor& c = ink == Ink::Fore ? port->fgColor : port->bkColor;
    p[0] = 0xFF;
    p[1] = static_cast<std::uint8_t>(c.red >> 8);
    p[2] = static_cast<std::uint8_t>(c.green >> 8);
    p[3] = static_cast<std::uint8_t>(c.blue >> 8);
}

void Fill(GrafPtr port, const Rect& r, Ink ink) {
    const Rect v = Visible(port, r);
    for (int y = v.top; y < v.bottom; ++y) {
        std::uint8_t* p = PixelAt(port, v.left, y);
        for (int x = v.left; x < v.right; ++x, p += 4) Put(p, ink, port);
    }
}

// The pen's ink: inverting in the xor modes, the fore colour otherwise.
Ink PenInk(GrafPtr port) {
    return port->pnMode == srcXor || port->pnMode == patXor ? Ink::Invert : Ink::Fore;
}

// Whether the centre of pixel (x, y) of a w x h box lies in the inscribed ellipse:
// ((2x + 1 - w) / w)^2 + ((2y + 1 - h) / h)^2 <= 1, as dx^2 h^2 + dy^2 w^2 <= w^2 h^2.
// Each product is below 2^64 for 16-bit sides, which the 64-bit mantissa of
// long double holds exactly.
bool InEllipse(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    const long double dx = static_cast<long double>(2 * x + 1 - w), dy = static_cast<long double>(2 * y + 1 - h);
    const long double ww = static_cast<long double>(w) * w, hh = static_cast<long double>(h) * h;
    return dx * dx * hh + dy * dy * ww <= ww * hh;
}

}  // namespace

void ClipRect(const Rect* r) {
    if (GrafPtr port = CurrentPort(); port && r) port->clipRect = *r;
}

void PenMode(SInt16 mode) {
    if (GrafPtr port = CurrentPort()) port->pnMode = mode;
}

void PenNormal(void) {
    if (GrafPtr port = CurrentPort()) {
        port->pnSize = Point{1, 1};
        port->pnMode = patCopy;
    }
}

void FrameRect(const Rect* r) {
    GrafPtr port = CurrentPort();
    if (!port || !r || r->left >= r->right || r->top >= r->bottom) return;
    const Ink ink = PenInk(port);
    const SInt16 t = r->top, l = r->left, b = r->bottom, rt = r->right;
    Fill(port, Rect{t, l, static_cast<SInt16>(t + 1), rt}, ink);
    if (b - t > 1) Fill(port, Rect{static_cast<SInt16>(b - 1), l, b, rt}, ink);
    Fill(port, Rect{static_cast<SInt16>(t + 1), l, static_cast<SInt16>(b - 1), static_cast<SInt16>(l + 1)}, ink);
    if (rt - l > 1) Fill(port, Rect{static_cast<SInt16>(t + 1), static_cast<SInt16>(rt - 1), static_cast<SInt16>(b - 1), rt}, ink);
}

void PaintRect(const Rect* r) {
    if (GrafPtr port = CurrentPort(); port && r) Fill(port, *r, PenInk(port));
}

void EraseRect(const Rect* r) {
    if (GrafPtr port = CurrentPort(); port && r) Fill(port, *r, Ink::Back);
}

void InvertRect(const Rect* r) {
    if (GrafPtr port = CurrentPort(); port && r) Fill(port, *r, Ink::Invert);
}

void FrameOval(const Rect* r) {
    GrafPtr port = CurrentPort();
    if (!port || !r || r->left >= r->right || r->top >= r->bottom) return;
    const std::int64_t w = r->right - r->left, h = r->bottom - r->top;
    const Ink ink = PenInk(port);
    // Only the part that can show is looked at.
    const Rect v = Visible(port, *r);
    for (std::int64_t y = v.top - r->top; y < v.bottom - r->top; ++y)
        for (std::int64_t x = v.left - r->left; x < v.right - r->left; ++x) {
            if (!InEllipse(x, y, w, h)) continue;
            if (InEllipse(x - 1, y, w, h) && InEllipse(x + 1, y, w, h) && InEllipse(x, y - 1, w, h) &&
                InEllipse(x, y + 1, w, h))
                continue;
            Put(PixelAt(port, static_cast<int>(r->left + x), static_cast<int>(r->top + y)), ink, port);
        }
}
