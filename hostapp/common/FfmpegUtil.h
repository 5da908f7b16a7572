// Ownership wrappers and error texts for FFmpeg's C objects.
#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
#include <libavutil/parseutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace mv {

// An aspect ratio as given, or square pixels where it is unknown.
inline AVRational knownAspect(AVRational aspect) {
    return aspect.num > 0 && aspect.den > 0 ? aspect : AVRational{1, 1};
}

std::string avError(int code);

struct InputCloser { void operator()(AVFormatContext* c) const { avformat_close_input(&c); } };
struct CodecFreer { void operator()(AVCodecContext* c) const { avcodec_free_context(&c); } };
struct FrameFreer { void operator()(AVFrame* f) const { av_frame_free(&f); } };
struct PacketFreer { void operator()(AVPacket* p) const { av_packet_free(&p); } };
struct SwsFreer { void operator()(SwsContext* s) const { sws_freeContext(s); } };
struct SwrFreer { void operator()(SwrContext* s) const { swr_free(&s); } };
struct GraphFreer { void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); } };
struct FifoFreer { void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); } };

using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFreer>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFreer>;
using GraphPtr = std::unique_ptr<AVFilterGraph, GraphFreer>;
using FifoPtr = std::unique_ptr<AVAudioFifo, FifoFreer>;

FramePtr newFrame();
PacketPtr newPacket();

// Throws HostError "what: FFmpeg's text" when code is negative.
void check(int code, const std::string& what);

// Opens a decoder for one stream of an input, with frame threads where the codec has them.
CodecPtr openDecoder(const AVStream* stream, const std::string& what);

}  // namespace mv
