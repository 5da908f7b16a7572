#include "frames/PixelConvert.h"

#include <libyuv.h>

#include "common/HostError.h"

namespace mv {

YuvMatrix yuvMatrixFor(AVColorSpace matrix, bool fullRange, int depth) {
    double kr = 0.299, kb = 0.114;
    lumaWeights(matrix, kr, kb);
    return yuvMatrix(kr, kb, fullRange, depth);
}

bool yuvPictureOf(const AVFrame* frame, YuvPicture& p) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (!d || d->nb_components != 3 || !(d->flags & AV_PIX_FMT_FLAG_PLANAR) ||
        (d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_FLOAT)))
        return false;
    const int depth = d->comp[0].depth;
    if (depth < 8 || depth > kYuvKernelDepth || d->comp[0].step != (depth > 8 ? 2 : 1) || d->comp[0].shift != 0)
        return false;
    if (d->log2_chroma_w > 1 || d->log2_chroma_h > 1) return false;
    for (int i = 0; i < 3; ++i) {
        if (d->comp[i].plane != i) return false;
        p.data[i] = frame->data[i];
        p.stride[i] = frame->linesize[i];
    }
    p.width = frame->width;
    p.height = frame->height;
    p.depth = depth;
    p.chromaShiftX = d->log2_chroma_w;
    p.chromaShiftY = d->log2_chroma_h;
    return true;
}


namespace {

// The full-range formats FFmpeg still names apart are the plain ones with a range.
AVPixelFormat plainFormat(AVPixelFormat format) {
    switch (format) {
    case AV_PIX_FMT_YUVJ420P: return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: return AV_PIX_FMT_YUV440P;
    default: return format;
    }
}

}  // namespace

int swsColorspace(AVColorSpace matrix) {
    switch (matrix) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_BT2020_NCL: return SWS_CS_BT2020;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    default: return SWS_CS_ITU601;
    }
}

// A frame's own matrix counts where its stream said none, but one the
// effect does not convert (the stream's would have been refused at opening)
// is read as none, as players read an untagged picture.
ColourDescription ArgbConverter::colourFor(const AVFrame* src) const {
    if (colour_.matrix != AVCOL_SPC_UNSPECIFIED) return colour_;
    ColourDescription own = colourOf(src);
    if (!convertibleMatrix(own.matrix)) own.matrix = AVCOL_SPC_UNSPECIFIED;
    return resolveColour(own, src->width, src->height, !isYuvFormat(static_cast<AVPixelFormat>(src->format)));
}

const YuvMatrix& ArgbConverter::matrixFor(const ColourDescription& colour, int depth) {
    if (depth != matrixDepth_ || colour.matrix != matrixColour_.matrix || colour.range != matrixColour_.range) {
        matrix_ = yuvMatrixFor(colour.matrix, colour.fullRange(), depth);
        matrixColour_ = colour;
        matrixDepth_ = depth;
    }
    return matrix_;
}

void ArgbConverter::convert(const AVFrame* src, ArgbView dst, ScaleQuality quality) {
    const ColourDescription colour = colourFor(src);
    double kr, kb;
    YuvPicture picture;
    if (!lumaWeights(colour.matrix, kr, kb) || !yuvPictureOf(src, picture)) {
        convertReference(src, dst, quality);
        return;
    }
    if (src->width == dst.width && src->height == dst.height) {
        yuvToArgb(picture, matrixFor(colour, picture.depth), dst);
        return;
    }
    // Brought down in 4:2:0 first (a box filter, or bilinear when fast), then
    // converted at the small size: a quarter of the work of converting first.
    const bool i420 = picture.depth == 8 && picture.chromaShiftX == 1 && picture.chromaShiftY == 1;
    if (i420 && dst.width <= src->width && dst.height <= src->height) {
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
        YuvPicture small;
        small.data[0] = y, small.data[1] = u, small.data[2] = v;
        small.stride[0] = dst.width, small.stride[1] = cw, small.stride[2] = cw;
        small.width = dst.width, small.height = dst.height;
        yuvToArgb(small, matrixFor(colour, 8), dst);
        return;
    }
    convertReference(src, dst, quality);
}

void ArgbConverter::convertReference(const AVFrame* src, ArgbView dst, ScaleQuality quality) {
    int flags = quality == ScaleQuality::Fast ? SWS_FAST_BILINEAR
                                              : SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT;
    const auto format = plainFormat(static_cast<AVPixelFormat>(src->format));
    SwsContext* sws = sws_getCachedContext(owner_.release(), src->width, src->height, format, dst.width, dst.height,
                                AV_PIX_FMT_ARGB, flags, nullptr, nullptr, nullptr);
    owner_.reset(sws);
    if (!sws) fail("cannot convert pictures of this kind");
    if (isYuvFormat(format)) {
        const ColourDescription colour = colourFor(src);
        sws_setColorspaceDetails(sws, sws_getCoefficients(swsColorspace(colour.matrix)), colour.fullRange() ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    }
    std::uint8_t* planes[4] = {dst.data, nullptr, nullptr, nullptr};
    int strides[4] = {dst.rowBytes, 0, 0, 0};
    sws_scale(sws, src->data, src->linesize, 0, src->height, planes, strides);
}

FrameConverter::FrameConverter(const ColourDescription& colour)
    : colour_(colour), matrix_(yuvMatrixFor(colour.matrix, colour.fullRange(), 8)) {}

void FrameConverter::convert(ArgbView src, AVFrame* dst) {
    double kr, kb;
    switch (dst->format) {
    case AV_PIX_FMT_YUV420P:
        if (!lumaWeights(colour_.matrix, kr, kb)) break;
        argbToYuv420(src, matrix_, dst->data, dst->linesize);
        return;
    case AV_PIX_FMT_BGR0:
    case AV_PIX_FMT_BGRA:
        libyuv::BGRAToARGB(src.data, src.rowBytes, dst->data[0], dst->linesize[0], src.width, src.height);
        return;
    default:
        break;
    }
    convertReference(src, dst);
}

void FrameConverter::convertReference(ArgbView src, AVFrame* dst) {
    auto format = static_cast<AVPixelFormat>(dst->format);
    SwsContext* sws = sws_getCachedContext(owner_.release(), src.width, src.height, AV_PIX_FMT_ARGB, dst->width, dst->height,
                                format, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr,
                                nullptr, nullptr);
    owner_.reset(sws);
    if (!sws) fail("cannot convert pictures for this encoder");
    if (isYuvFormat(format)) {
        sws_setColorspaceDetails(sws, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                                 sws_getCoefficients(swsColorspace(colour_.matrix)), colour_.fullRange() ? 1 : 0, 0,
                                 1 << 16, 1 << 16);
    }
    const std::uint8_t* planes[4] = {src.data, nullptr, nullptr, nullptr};
    int strides[4] = {src.rowBytes, 0, 0, 0};
    sws_scale(sws, planes, strides, 0, src.height, dst->data, dst->linesize);
}

}  // namespace mv
