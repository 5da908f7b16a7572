#include "frames/PixelConvert.h"

#include <libyuv.h>

#include <algorithm>
#include <cstring>

#include "common/HostError.h"

namespace mv {

namespace {

bool isLimited420(const AVFrame* f) {
    return f->format == AV_PIX_FMT_YUV420P && f->color_range != AVCOL_RANGE_JPEG;
}

bool isFull420(const AVFrame* f) {
    return f->format == AV_PIX_FMT_YUVJ420P ||
           (f->format == AV_PIX_FMT_YUV420P && f->color_range == AVCOL_RANGE_JPEG);
}

// HD pictures without a tag are BT.709 by convention, smaller ones BT.601.
bool isBt709(const AVFrame* f) {
    if (f->colorspace == AVCOL_SPC_BT709) return true;
    if (f->colorspace != AVCOL_SPC_UNSPECIFIED) return false;
    return f->height >= 720;
}

// libyuv's U/V-swapped matrices write A, R, G, B through its "RGBA" kernels.
const libyuv::YuvConstants* swappedMatrix(const AVFrame* f) {
    bool full = isFull420(f);
    if (isBt709(f)) return full ? &libyuv::kYvuF709Constants : &libyuv::kYvuH709Constants;
    return full ? &libyuv::kYvuJPEGConstants : &libyuv::kYvuI601Constants;
}

int swsColorspace(const AVFrame* f) {
    if (isBt709(f)) return SWS_CS_ITU709;
    switch (f->colorspace) {
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    default: return SWS_CS_ITU601;
    }
}

}  // namespace

void ArgbConverter::convert(const AVFrame* src, ArgbView dst, ScaleQuality quality) {
    const bool yuv420 = isLimited420(src) || isFull420(src);
    const bool sameSize = src->width == dst.width && src->height == dst.height;
    if (yuv420 && sameSize) {
        libyuv::I420ToRGBAMatrix(src->data[0], src->linesize[0], src->data[2], src->linesize[2],
                                 src->data[1], src->linesize[1], dst.data, dst.rowBytes,
                                 swappedMatrix(src), dst.width, dst.height);
        return;
    }
    // Brought down in 4:2:0 first (a box filter, or bilinear when fast), then
    // converted at the small size: a quarter of the work of converting first.
    if (yuv420 && dst.width <= src->width && dst.height <= src->height) {
        const int cw = (dst.width + 1) / 2, ch = (dst.height + 1) / 2;
        const std::size_t luma = static_cast<std::size_t>(dst.width) * dst.height;
        const std::size_t chroma = static_cast<std::size_t>(cw) * ch;
        scaled_.resize(luma + 2 * chroma);
        std::uint8_t* y = scaled_.data();
        std::uint8_t* u = y + luma;
        std::uint8_t* v = u + chroma;
        libyuv::I420Scale(src->data[0], src->linesize[0], src->data[1], src->linesize[1], src->data[2],
                          src->linesize[2], src->width, src->height, y, dst.width, u, cw, v, cw, dst.width,
                          dst.height, quality == ScaleQuality::Fast ? libyuv::kFilterBilinear : libyuv::kFilterBox);
        libyuv::I420ToRGBAMatrix(y, dst.width, v, cw, u, cw, dst.data, dst.rowBytes, swappedMatrix(src), dst.width,
                                 dst.height);
        return;
    }
    convertReference(src, dst, quality);
}

void ArgbConverter::convertReference(const AVFrame* src, ArgbView dst, ScaleQuality quality) {
    int flags = quality == ScaleQuality::Fast ? SWS_FAST_BILINEAR
                                              : SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT;
    auto format = static_cast<AVPixelFormat>(src->format);
    // The full-range formats FFmpeg still names apart are the plain ones with a range.
    bool full = src->color_range == AVCOL_RANGE_JPEG;
    switch (format) {
    case AV_PIX_FMT_YUVJ420P: format = AV_PIX_FMT_YUV420P; full = true; break;
    case AV_PIX_FMT_YUVJ422P: format = AV_PIX_FMT_YUV422P; full = true; break;
    case AV_PIX_FMT_YUVJ444P: format = AV_PIX_FMT_YUV444P; full = true; break;
    case AV_PIX_FMT_YUVJ440P: format = AV_PIX_FMT_YUV440P; full = true; break;
    default: break;
    }
    SwsContext* sws = sws_getCachedContext(owner_.release(), src->width, src->height, format, dst.width, dst.height,
                                AV_PIX_FMT_ARGB, flags, nullptr, nullptr, nullptr);
    owner_.reset(sws);
    if (!sws) fail("cannot convert pictures of this kind");
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (desc && !(desc->flags & AV_PIX_FMT_FLAG_RGB)) {
        const int* coefficients = sws_getCoefficients(swsColorspace(src));
        sws_setColorspaceDetails(sws, coefficients, full ? 1 : 0, sws_getCoefficients(SWS_CS_DEFAULT),
                                 1, 0, 1 << 16, 1 << 16);
    }
    std::uint8_t* planes[4] = {dst.data, nullptr, nullptr, nullptr};
    int strides[4] = {dst.rowBytes, 0, 0, 0};
    sws_scale(sws, src->data, src->linesize, 0, src->height, planes, strides);
}

// libyuv reads A, R, G, B pixels ("BGRA") with SSSE3 only, but R, G, B, A ones
// ("ABGR") with AVX2, to the same numbers: so the picture is read one byte on,
// each pixel's alpha taken from the next and ignored. The last rows go through
// a copy with a spare byte, so nothing past the image is read.
void FrameConverter::toI420(ArgbView src, AVFrame* dst) {
    const int tail = std::min(src.height, 2 + (src.height & 1));
    const int body = src.height - tail;  // even, so the tail starts on a chroma row
    std::uint8_t* const* planes = dst->data;
    const int* strides = dst->linesize;
    if (body > 0)
        libyuv::ABGRToI420(src.data + 1, src.rowBytes, planes[0], strides[0], planes[1], strides[1], planes[2],
                           strides[2], src.width, body);
    const std::size_t rowLen = static_cast<std::size_t>(src.width) * 4;
    spare_.resize(rowLen * tail + 1);
    for (int y = 0; y < tail; ++y) std::memcpy(spare_.data() + rowLen * y, src.row(body + y), rowLen);
    libyuv::ABGRToI420(spare_.data() + 1, static_cast<int>(rowLen), planes[0] + body * strides[0], strides[0],
                       planes[1] + body / 2 * strides[1], strides[1], planes[2] + body / 2 * strides[2], strides[2],
                       src.width, tail);
}

void FrameConverter::convert(ArgbView src, AVFrame* dst) {
    switch (dst->format) {
    case AV_PIX_FMT_YUV420P:
        toI420(src, dst);
        return;
    case AV_PIX_FMT_BGR0:
    case AV_PIX_FMT_BGRA:
        libyuv::BGRAToARGB(src.data, src.rowBytes, dst->data[0], dst->linesize[0], src.width, src.height);
        return;
    default:
        convertReference(src, dst);
    }
}

void FrameConverter::convertReference(ArgbView src, AVFrame* dst) {
    auto format = static_cast<AVPixelFormat>(dst->format);
    SwsContext* sws = sws_getCachedContext(owner_.release(), src.width, src.height, AV_PIX_FMT_ARGB, dst->width, dst->height,
                                format, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr,
                                nullptr, nullptr);
    owner_.reset(sws);
    if (!sws) fail("cannot convert pictures for this encoder");
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (desc && !(desc->flags & AV_PIX_FMT_FLAG_RGB)) {
        // The encoders are told BT.601 limited range, as libyuv writes it.
        sws_setColorspaceDetails(sws, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                                 sws_getCoefficients(SWS_CS_ITU601), 0, 0, 1 << 16, 1 << 16);
    }
    const std::uint8_t* planes[4] = {src.data, nullptr, nullptr, nullptr};
    int strides[4] = {src.rowBytes, 0, 0, 0};
    sws_scale(sws, planes, strides, 0, src.height, dst->data, dst->linesize);
}

}  // namespace mv
