#include "common/FfmpegUtil.h"

#include "common/HostError.h"

namespace mv {

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

FramePtr newFrame() {
    FramePtr f(av_frame_alloc());
    if (!f) fail("out of memory");
    return f;
}

PacketPtr newPacket() {
    PacketPtr p(av_packet_alloc());
    if (!p) fail("out of memory");
    return p;
}

void check(int code, const std::string& what) {
    if (code < 0) fail(what + ": " + avError(code));
}

CodecPtr openDecoder(const AVStream* stream, const std::string& what) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) fail(what + ": no decoder for " + avcodec_get_name(stream->codecpar->codec_id));
    CodecPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx) fail("out of memory");
    check(avcodec_parameters_to_context(ctx.get(), stream->codecpar), what);
    ctx->pkt_timebase = stream->time_base;
    ctx->thread_count = 0;
    check(avcodec_open2(ctx.get(), codec, nullptr), what);
    return ctx;
}

}  // namespace mv
