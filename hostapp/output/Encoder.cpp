#include "output/Encoder.h"

#include <cerrno>

#include "common/HostError.h"

namespace mv {

namespace {

const AVCodec* findEncoder(const char* name) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec) fail(std::string("this FFmpeg has no encoder ") + name);
    return codec;
}

// The encoder's own sample format nearest to float, or to 16-bit for FLAC.
AVSampleFormat sampleFormatFor(const AVCodec* codec) {
    AVSampleFormat best = AV_SAMPLE_FMT_NONE;
    for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f) {
        if (*f == AV_SAMPLE_FMT_FLTP || *f == AV_SAMPLE_FMT_FLT) return *f;
        if (best == AV_SAMPLE_FMT_NONE) best = *f;
    }
    return best == AV_SAMPLE_FMT_NONE ? AV_SAMPLE_FMT_FLTP : best;
}

int sampleRateFor(const AVCodec* codec, int wanted) {
    if (!codec->supported_samplerates) return wanted;
    int best = 0;
    for (const int* r = codec->supported_samplerates; *r; ++r) {
        if (*r == wanted) return wanted;
        if (*r > best) best = *r;
    }
    return best;
}

}  // namespace

Encoder::Encoder(const std::string& name, const std::string& writePath, const OutputFormat& format,
                 const EncoderSettings& settings)
    : name_(name), packet_(newPacket()), converter_(settings.colour) {
    AVFormatContext* output = nullptr;
    check(avformat_alloc_output_context2(&output, nullptr, format.muxer, writePath.c_str()), name);
    output_.reset(output);
    openVideo(format, settings);
    if (settings.audio && format.audioEncoder) openAudio(format, settings);
    if (!(output_->oformat->flags & AVFMT_NOFILE))
        check(avio_open(&output_->pb, writePath.c_str(), AVIO_FLAG_WRITE), name);
    AVDictionary* options = nullptr;
    if (format.sequence) av_dict_set(&options, "start_number", "0", 0);
    int err = avformat_write_header(output_.get(), &options);
    av_dict_free(&options);
    check(err, name);
}

void Encoder::OutputCloser::operator()(AVFormatContext* output) const {
    if (output->pb && !(output->oformat->flags & AVFMT_NOFILE)) avio_closep(&output->pb);
    avformat_free_context(output);
}

Encoder::~Encoder() = default;

void Encoder::openVideo(const OutputFormat& format, const EncoderSettings& settings) {
    const AVCodec* codec = findEncoder(format.videoEncoder);
    video_.reset(avcodec_alloc_context3(codec));
    if (!video_) fail("out of memory");
    AVCodecContext* c = video_.get();
    c->width = settings.width;
    c->height = settings.height;
    c->pix_fmt = format.pixelFormat;
    c->time_base = av_inv_q(settings.frameRate);
    c->framerate = settings.frameRate;
    c->sample_aspect_ratio = settings.pixelAspect;
    c->thread_count = 0;
    labelCodec(c, settings.colour);
    if (output_->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    std::string crf = std::to_string(settings.crf);
    if (codec->id == AV_CODEC_ID_H264) {
        av_dict_set(&options, "preset", "veryfast", 0);
        av_dict_set(&options, "crf", crf.c_str(), 0);
    } else if (codec->id == AV_CODEC_ID_VP9) {
        av_dict_set(&options, "crf", crf.c_str(), 0);
        av_dict_set(&options, "b", "0", 0);
        av_dict_set(&options, "deadline", "good", 0);
        av_dict_set(&options, "cpu-used", "4", 0);
        av_dict_set(&options, "row-mt", "1", 0);
    } else if (codec->id == AV_CODEC_ID_FFV1) {
        av_dict_set(&options, "level", "3", 0);
        av_dict_set(&options, "slicecrc", "1", 0);
    }
    int err = avcodec_open2(c, codec, &options);
    av_dict_free(&options);
    check(err, name_ + ": the video encoder");
    videoStream_ = avformat_new_stream(output_.get(), nullptr);
    if (!videoStream_) fail("out of memory");
    check(avcodec_parameters_from_context(videoStream_->codecpar, c), name_);
    videoStream_->time_base = c->time_base;
    videoStream_->sample_aspect_ratio = c->sample_aspect_ratio;
    videoStream_->avg_frame_rate = settings.frameRate;

    picture_ = newFrame();
    picture_->format = c->pix_fmt;
    picture_->width = c->width;
    picture_->height = c->height;
    labelPicture(picture_.get(), c);
    check(av_frame_get_buffer(picture_.get(), 0), name_);
}

void Encoder::openAudio(const OutputFormat& format, const EncoderSettings& settings) {
    const AVCodec* codec = findEncoder(format.audioEncoder);
    audio_.reset(avcodec_alloc_context3(codec));
    if (!audio_) fail("out of memory");
    AVCodecContext* c = audio_.get();
    c->sample_fmt = sampleFormatFor(codec);
    c->sample_rate = sampleRateFor(codec, settings.sampleRate);
    if (codec->id == AV_CODEC_ID_OPUS && settings.layout->nb_channels > 2)
        av_channel_layout_default(&c->ch_layout, 2);
    else
        check(av_channel_layout_copy(&c->ch_layout, settings.layout), name_);
    c->time_base = {1, c->sample_rate};
    if (codec->id == AV_CODEC_ID_AAC || codec->id == AV_CODEC_ID_OPUS)
        c->bit_rate = 64000 * c->ch_layout.nb_channels;
    if (output_->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(c, codec, nullptr), name_ + ": the sound encoder");
    audioStream_ = avformat_new_stream(output_.get(), nullptr);
    if (!audioStream_) fail("out of memory");
    check(avcodec_parameters_from_context(audioStream_->codecpar, c), name_);
    audioStream_->time_base = c->time_base;

    SwrContext* swr = nullptr;
    check(swr_alloc_set_opts2(&swr, &c->ch_layout, c->sample_fmt, c->sample_rate,
                              const_cast<AVChannelLayout*>(settings.layout),
                              AV_SAMPLE_FMT_FLT, settings.sampleRate, 0, nullptr), name_);
    resampler_.reset(swr);
    check(swr_init(swr), name_);
    fifo_.reset(av_audio_fifo_alloc(c->sample_fmt, c->ch_layout.nb_channels, 4096));
    if (!fifo_) fail("out of memory");
    sound_ = newFrame();
}

void Encoder::writeVideo(ArgbView frame) {
    check(av_frame_make_writable(picture_.get()), name_);
    converter_.convert(frame, picture_.get());
    picture_->pts = nextPicture_++;
    check(avcodec_send_frame(video_.get(), picture_.get()), name_ + ": the video encoder");
    drain(video_.get(), videoStream_);
}

void Encoder::writeAudio(const float* samples, int count) {
    if (!audio_) return;
    AVCodecContext* c = audio_.get();
    int room = swr_get_out_samples(resampler_.get(), count);
    FramePtr converted = newFrame();
    converted->format = c->sample_fmt;
    converted->nb_samples = room;
    check(av_channel_layout_copy(&converted->ch_layout, &c->ch_layout), name_);
    check(av_frame_get_buffer(converted.get(), 0), name_);
    const auto* in = reinterpret_cast<const std::uint8_t*>(samples);
    int n = swr_convert(resampler_.get(), converted->extended_data, room, &in, count);
    check(n, name_);
    check(av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(converted->extended_data), n), name_);
    sendAudio(false);
}

// Hands the fifo to the encoder in its frame size; the rest waits for more.
void Encoder::sendAudio(bool flush) {
    AVCodecContext* c = audio_.get();
    int frameSize = c->frame_size > 0 ? c->frame_size : 1024;
    while (av_audio_fifo_size(fifo_.get()) >= frameSize || (flush && av_audio_fifo_size(fifo_.get()) > 0)) {
        int n = std::min(frameSize, av_audio_fifo_size(fifo_.get()));
        av_frame_unref(sound_.get());
        sound_->format = c->sample_fmt;
        sound_->nb_samples = n;
        sound_->sample_rate = c->sample_rate;
        check(av_channel_layout_copy(&sound_->ch_layout, &c->ch_layout), name_);
        check(av_frame_get_buffer(sound_.get(), 0), name_);
        av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(sound_->extended_data), n);
        sound_->pts = nextSample_;
        nextSample_ += n;
        check(avcodec_send_frame(c, sound_.get()), name_ + ": the sound encoder");
        drain(c, audioStream_);
    }
}

void Encoder::drain(AVCodecContext* codec, AVStream* stream) {
    for (;;) {
        int err = avcodec_receive_packet(codec, packet_.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return;
        check(err, name_ + ": the encoder");
        av_packet_rescale_ts(packet_.get(), codec->time_base, stream->time_base);
        packet_->stream_index = stream->index;
        writePacket(packet_.get());
    }
}

void Encoder::writePacket(AVPacket* packet) {
    int err = av_interleaved_write_frame(output_.get(), packet);
    if (err >= 0 && output_->pb && output_->pb->error < 0) err = output_->pb->error;
    checkWrite(err);
}

void Encoder::checkWrite(int err) const {
    if (err == AVERROR(EPIPE)) fail(name_ + ": the reader has gone (the pipe was closed); the render stopped");
    if (err < 0) fail(name_ + ": cannot write (" + avError(err) + ")");
}

void Encoder::finish() {
    if (finished_) return;
    finished_ = true;
    if (audio_) {
        // The resampler may hold a few samples back.
        FramePtr rest = newFrame();
        AVCodecContext* c = audio_.get();
        rest->format = c->sample_fmt;
        rest->nb_samples = 4096;
        check(av_channel_layout_copy(&rest->ch_layout, &c->ch_layout), name_);
        check(av_frame_get_buffer(rest.get(), 0), name_);
        int n = swr_convert(resampler_.get(), rest->extended_data, 4096, nullptr, 0);
        if (n > 0) check(av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(rest->extended_data), n), name_);
        sendAudio(true);
        check(avcodec_send_frame(c, nullptr), name_ + ": the sound encoder");
        drain(c, audioStream_);
    }
    check(avcodec_send_frame(video_.get(), nullptr), name_ + ": the video encoder");
    drain(video_.get(), videoStream_);
    checkWrite(av_write_trailer(output_.get()));
    if (output_->pb && !(output_->oformat->flags & AVFMT_NOFILE)) {
        avio_flush(output_->pb);
        int ioErr = output_->pb->error;
        int err = avio_closep(&output_->pb);
        checkWrite(ioErr < 0 ? ioErr : err);
    }
}

}  // namespace mv
