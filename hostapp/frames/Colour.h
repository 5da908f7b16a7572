// A picture's colour description, kept from the source to every output: the
// host converts with its matrix and range only and labels what it writes with
// all four, so the effect, which only moves pixels, changes no colour.
#pragma once

#include <string>

#include "common/FfmpegUtil.h"

namespace mv {

struct ColourDescription {
    AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;

    bool fullRange() const { return range == AVCOL_RANGE_JPEG; }
    // HLG or PQ: a player must know it to show the picture at all rightly.
    bool highDynamicRange() const;
    // "matrix bt709, primaries bt709, transfer bt709, limited range", for messages.
    std::string describe() const;
};

// A stream's or a picture's own tags.
ColourDescription colourOf(const AVCodecParameters* par);
ColourDescription colourOf(const AVFrame* frame);

// Whether a pixel format's samples are Y'CbCr (grey too: its range matters),
// as opposed to R, G, B or a palette.
bool isYuvFormat(AVPixelFormat format);

// The luma weights of a Y'CbCr matrix (false where it is not one we convert).
bool lumaWeights(AVColorSpace matrix, double& kr, double& kb);

// The matrices the host converts with; a clip with another (YCgCo, ICtCp,
// BT.2020's constant luminance, which no matrix turns into R, G, B) is
// refused when it is opened.
bool convertibleMatrix(AVColorSpace matrix);

// What is missing filled in as players assume it: a Y'CbCr picture of 720
// lines or more BT.709, a smaller one BT.601 (576 lines with PAL's primaries),
// limited range; an R, G, B picture sRGB. A Y'CbCr matrix always results,
// since the host writes Y'CbCr whatever it reads.
ColourDescription resolveColour(ColourDescription tags, int width, int height, bool rgbSource);

// Labels an encoder: Y'CbCr outputs with the whole description, R, G, B ones
// as R, G, B at full range with the source's primaries and transfer.
void labelCodec(AVCodecContext* codec, const ColourDescription& colour);
// The same on a picture handed to it: some encoders (PNG's) read only the picture's.
void labelPicture(AVFrame* picture, const AVCodecContext* codec);

}  // namespace mv
