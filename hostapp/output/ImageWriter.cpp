#include "output/ImageWriter.h"

#include <cstdio>

#include "output/AtomicOutput.h"
#include "common/FfmpegUtil.h"
#include "common/HostError.h"
#include "frames/PixelConvert.h"

namespace mv {

void writePng(const std::string& path, ArgbView image, const ColourDescription& colour) {
    AtomicOutput output(path, false);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!codec) fail("this FFmpeg has no PNG encoder");
    CodecPtr c(avcodec_alloc_context3(codec));
    if (!c) fail("out of memory");
    c->width = image.width;
    c->height = image.height;
    c->pix_fmt = AV_PIX_FMT_RGB24;
    c->time_base = {1, 1};
    labelCodec(c.get(), colour);
    check(avcodec_open2(c.get(), codec, nullptr), path);

    FramePtr frame = newFrame();
    frame->format = c->pix_fmt;
    frame->width = image.width;
    frame->height = image.height;
    labelPicture(frame.get(), c.get());
    check(av_frame_get_buffer(frame.get(), 0), path);
    FrameConverter converter;
    converter.convertReference(image, frame.get());
    frame->pts = 0;
    check(avcodec_send_frame(c.get(), frame.get()), path);
    check(avcodec_send_frame(c.get(), nullptr), path);
    PacketPtr packet = newPacket();
    check(avcodec_receive_packet(c.get(), packet.get()), path);

    std::FILE* file = std::fopen(output.writePath().c_str(), "wb");
    if (!file) fail(path + ": cannot write");
    bool ok = std::fwrite(packet->data, 1, packet->size, file) == static_cast<std::size_t>(packet->size);
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) fail(path + ": cannot write (the disk may be full)");
    output.commit();
}

}  // namespace mv
