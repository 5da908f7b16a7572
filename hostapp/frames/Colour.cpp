#include "frames/Colour.h"

namespace mv {

namespace {

const char* nameOr(const char* name, const char* fallback) { return name ? name : fallback; }

}  // namespace

bool isYuvFormat(AVPixelFormat format) {
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    return desc && !(desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL));
}

bool convertibleMatrix(AVColorSpace matrix) {
    switch (matrix) {
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_BT709:
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_SMPTE240M:
    case AVCOL_SPC_FCC:
    case AVCOL_SPC_UNSPECIFIED:
    case AVCOL_SPC_RESERVED:
    case AVCOL_SPC_RGB: return true;
    default: return false;
    }
}

bool lumaWeights(AVColorSpace matrix, double& kr, double& kb) {
    switch (matrix) {
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: kr = 0.299; kb = 0.114; return true;
    case AVCOL_SPC_BT709: kr = 0.2126; kb = 0.0722; return true;
    case AVCOL_SPC_BT2020_NCL: kr = 0.2627; kb = 0.0593; return true;
    case AVCOL_SPC_SMPTE240M: kr = 0.212; kb = 0.087; return true;
    case AVCOL_SPC_FCC: kr = 0.30; kb = 0.11; return true;
    default: return false;
    }
}

bool ColourDescription::highDynamicRange() const {
    return transfer == AVCOL_TRC_ARIB_STD_B67 || transfer == AVCOL_TRC_SMPTE2084;
}

std::string ColourDescription::describe() const {
    return std::string("matrix ") + nameOr(av_color_space_name(matrix), "unknown") + ", primaries " +
           nameOr(av_color_primaries_name(primaries), "unknown") + ", transfer " +
           nameOr(av_color_transfer_name(transfer), "unknown") + ", " +
           (fullRange() ? "full range" : "limited range");
}

namespace {

// The full-range formats FFmpeg still names apart carry their range in the format.
ColourDescription withFormatsRange(ColourDescription c, int format) {
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
    case AV_PIX_FMT_YUVJ440P:
    case AV_PIX_FMT_YUVJ411P:
        if (c.range == AVCOL_RANGE_UNSPECIFIED) c.range = AVCOL_RANGE_JPEG;
        break;
    default: break;
    }
    return c;
}

}  // namespace

ColourDescription colourOf(const AVCodecParameters* par) {
    return withFormatsRange({par->color_space, par->color_primaries, par->color_trc, par->color_range}, par->format);
}

ColourDescription colourOf(const AVFrame* frame) {
    return withFormatsRange({frame->colorspace, frame->color_primaries, frame->color_trc, frame->color_range},
                            frame->format);
}

ColourDescription resolveColour(ColourDescription c, int width, int height, bool rgbSource) {
    const bool hd = width >= 1280 || height >= 720;
    const bool pal = !hd && height == 576;
    if (c.matrix == AVCOL_SPC_UNSPECIFIED || c.matrix == AVCOL_SPC_RGB || c.matrix == AVCOL_SPC_RESERVED)
        c.matrix = hd ? AVCOL_SPC_BT709 : pal ? AVCOL_SPC_BT470BG : AVCOL_SPC_SMPTE170M;
    if (c.primaries == AVCOL_PRI_UNSPECIFIED || c.primaries == AVCOL_PRI_RESERVED || c.primaries == AVCOL_PRI_RESERVED0)
        c.primaries = hd || rgbSource ? AVCOL_PRI_BT709 : pal ? AVCOL_PRI_BT470BG : AVCOL_PRI_SMPTE170M;
    if (c.transfer == AVCOL_TRC_UNSPECIFIED || c.transfer == AVCOL_TRC_RESERVED || c.transfer == AVCOL_TRC_RESERVED0)
        c.transfer = rgbSource ? AVCOL_TRC_IEC61966_2_1 : hd ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
    // An R, G, B source is written as limited-range Y'CbCr, as cameras and players expect.
    if (c.range == AVCOL_RANGE_UNSPECIFIED || rgbSource) c.range = AVCOL_RANGE_MPEG;
    return c;
}

void labelCodec(AVCodecContext* codec, const ColourDescription& colour) {
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(codec->pix_fmt);
    const bool rgb = desc && (desc->flags & AV_PIX_FMT_FLAG_RGB);
    codec->colorspace = rgb ? AVCOL_SPC_RGB : colour.matrix;
    codec->color_range = rgb ? AVCOL_RANGE_JPEG : colour.range;
    codec->color_primaries = colour.primaries;
    codec->color_trc = colour.transfer;
}

void labelPicture(AVFrame* picture, const AVCodecContext* codec) {
    picture->colorspace = codec->colorspace;
    picture->color_range = codec->color_range;
    picture->color_primaries = codec->color_primaries;
    picture->color_trc = codec->color_trc;
}

}  // namespace mv
