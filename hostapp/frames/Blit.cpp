#include "frames/Blit.h"

#include <pixman.h>

#include <algorithm>

namespace mv {

namespace {

struct Area {
    int x, y, w, h;
};

Area clipTo(const Rect& r, const ArgbView& image) {
    int left = std::max<int>(r.left, 0), top = std::max<int>(r.top, 0);
    int right = std::min<int>(r.right, image.width), bottom = std::min<int>(r.bottom, image.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

// The platform's A, R, G, B bytes are pixman's b8g8r8a8 words on a
// little-endian machine; the source's alpha is not looked at.
pixman_image_t* wrap(ArgbView v, pixman_format_code_t format) {
    return pixman_image_create_bits(format, v.width, v.height, reinterpret_cast<std::uint32_t*>(v.data),
                                    v.rowBytes);
}

std::uint8_t mix(int s, int d, int a) { return static_cast<std::uint8_t>((s * a + d * (255 - a) + 127) / 255); }

}  // namespace

void blitOver(ArgbView src, ArgbView dst, const Rect& srcRect, const Rect& dstRect, int opacity) {
    opacity = std::clamp(opacity, 0, 255);
    int sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    int dw = dstRect.right - dstRect.left, dh = dstRect.bottom - dstRect.top;
    if (opacity == 0 || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    // Scaled mixes are rare (the plug-in mixes equal areas); the plain path
    // keeps their sampling exactly the platform's.
    if (sw != dw || sh != dh) return blitOverReference(src, dst, srcRect, dstRect, opacity);
    Area d = clipTo(dstRect, dst);
    if (d.w == 0 || d.h == 0) return;

    pixman_image_t* s = wrap(src, PIXMAN_b8g8r8x8);
    pixman_image_t* t = wrap(dst, PIXMAN_b8g8r8a8);
    pixman_color_t alpha{0, 0, 0, static_cast<std::uint16_t>(opacity * 257)};
    pixman_image_t* mask = pixman_image_create_solid_fill(&alpha);
    pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
    int sx = srcRect.left + (d.x - dstRect.left), sy = srcRect.top + (d.y - dstRect.top);
    pixman_image_composite32(PIXMAN_OP_OVER, s, mask, t, sx, sy, 0, 0, d.x, d.y, d.w, d.h);
    pixman_image_unref(mask);
    pixman_image_unref(t);
    pixman_image_unref(s);
}

void blitOverReference(ArgbView src, ArgbView dst, const Rect& srcRect, const Rect& dstRect, int opacity) {
    opacity = std::clamp(opacity, 0, 255);
    int sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    int dw = dstRect.right - dstRect.left, dh = dstRect.bottom - dstRect.top;
    if (opacity == 0 || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    Area d = clipTo(dstRect, dst);
    for (int y = d.y; y < d.y + d.h; ++y) {
        int sy = std::clamp(srcRect.top + ((2 * (y - dstRect.top) + 1) * sh) / (2 * dh), 0, src.height - 1);
        for (int x = d.x; x < d.x + d.w; ++x) {
            int sx = std::clamp(srcRect.left + ((2 * (x - dstRect.left) + 1) * sw) / (2 * dw), 0, src.width - 1);
            const std::uint8_t* sp = src.row(sy) + sx * 4;
            std::uint8_t* dp = dst.row(y) + x * 4;
            dp[0] = mix(255, dp[0], opacity);
            for (int c = 1; c < 4; ++c) dp[c] = mix(sp[c], dp[c], opacity);
        }
    }
}

void fillArea(ArgbView dst, const Rect& area, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    Area d = clipTo(area, dst);
    for (int y = d.y; y < d.y + d.h; ++y) {
        std::uint8_t* p = dst.row(y) + d.x * 4;
        for (int x = 0; x < d.w; ++x, p += 4) {
            p[0] = 255;
            p[1] = red;
            p[2] = green;
            p[3] = blue;
        }
    }
}

}  // namespace mv
