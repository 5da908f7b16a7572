// Pictures and sound from a file FFmpeg reads. Video and sound each have a
// demuxer of their own, so the two can be read on different threads.
#include <algorithm>
#include <cmath>
#include <vector>

#include "FfmpegUtil.h"
#include "FileSourceParts.h"
#include "HostError.h"
#include "Source.h"

namespace mv {

std::int64_t frameStartSample(std::int64_t index, int rate, AVRational fps) {
    return av_rescale_rnd(index, static_cast<std::int64_t>(rate) * fps.den, fps.num,
                          AV_ROUND_NEAR_INF);
}

InputPtr openInput(const std::string& path) {
    AVFormatContext* raw = nullptr;
    int err = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (err == AVERROR_INVALIDDATA)
        fail(path + ": not a video FFmpeg can read (" + avError(err) + ")");
    check(err, path);
    InputPtr input(raw);
    check(avformat_find_stream_info(raw, nullptr), path);
    return input;
}

int findStream(AVFormatContext* input, AVMediaType type) {
    int index = av_find_best_stream(input, type, -1, -1, nullptr, 0);
    if (index < 0) return -1;
    if (type == AVMEDIA_TYPE_VIDEO &&
        (input->streams[index]->disposition & AV_DISPOSITION_ATTACHED_PIC))
        return -1;
    return index;
}

namespace {

std::int64_t countPackets(const std::string& path, int streamIndex) {
    InputPtr input = openInput(path);
    PacketPtr packet = newPacket();
    std::int64_t count = 0;
    int err;
    while ((err = av_read_frame(input.get(), packet.get())) >= 0) {
        if (packet->stream_index == streamIndex) ++count;
        av_packet_unref(packet.get());
    }
    if (err != AVERROR_EOF) fail(path + ": the stream is damaged (" + avError(err) + ")");
    return count;
}

// Reads packets until one of `stream` reaches the decoder; at the end of the
// file the decoder is put into draining. Returns whether it is draining.
bool feedDecoder(AVFormatContext* input, AVCodecContext* decoder, AVPacket* packet, int stream,
                const std::string& path, const char* kind) {
    for (;;) {
        int err = av_read_frame(input, packet);
        if (err == AVERROR_EOF) {
            avcodec_send_packet(decoder, nullptr);
            return true;
        }
        if (err < 0) fail(path + ": the file cannot be read (" + avError(err) + ")");
        bool ours = packet->stream_index == stream;
        if (ours) err = avcodec_send_packet(decoder, packet);
        av_packet_unref(packet);
        if (ours) {
            if (err < 0 && err != AVERROR(EAGAIN))
                fail(path + ": the " + kind + " stream is damaged (" + avError(err) + ")");
            return false;
        }
    }
}

class FileVideoSource final : public VideoSource {
public:
    FileVideoSource(const std::string& path, AVRational fps)
        : path_(path), input_(openInput(path)), fps_(fps) {
        stream_ = findStream(input_.get(), AVMEDIA_TYPE_VIDEO);
        const AVStream* st = input_->streams[stream_];
        decoder_ = openDecoder(st, path);
        startPts_ = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
        packet_ = newPacket();
        frame_ = newFrame();
    }

    void seek(std::int64_t index) override {
        if (index == nextIndex_ && !ended_) return;
        const AVStream* st = input_->streams[stream_];
        std::int64_t target = startPts_ + av_rescale_q(index, av_inv_q(fps_), st->time_base);
        // The start is a keyframe by definition; elsewhere seek to the one before.
        int err = index == 0 ? av_seek_frame(input_.get(), stream_, startPts_, AVSEEK_FLAG_BACKWARD)
                             : av_seek_frame(input_.get(), stream_, target, AVSEEK_FLAG_BACKWARD);
        if (err < 0) check(av_seek_frame(input_.get(), -1, 0, AVSEEK_FLAG_BACKWARD), path_);
        avcodec_flush_buffers(decoder_.get());
        ended_ = draining_ = false;
        nextIndex_ = -1;  // unknown until a frame with a time stamp arrives
        skipTo_ = index;
        retried_ = index == 0;
    }

    const AVFrame* next(std::int64_t& index) override {
        while (decodeOne()) {
            if (nextIndex_ > skipTo_ && !retried_) {
                // The seek landed past the frame: decode on from the start instead.
                retried_ = true;
                std::int64_t want = skipTo_;
                seek(0);
                skipTo_ = want;
                nextIndex_ = 0;
                continue;
            }
            retried_ = true;
            if (nextIndex_ < skipTo_) { ++nextIndex_; continue; }
            index = nextIndex_++;
            return frame_.get();
        }
        ended_ = true;
        return nullptr;
    }

private:
    // Decodes one frame into frame_ and fixes nextIndex_ to its index.
    bool decodeOne() {
        for (;;) {
            av_frame_unref(frame_.get());
            int err = avcodec_receive_frame(decoder_.get(), frame_.get());
            if (err == 0) {
                if (frame_->decode_error_flags || (frame_->flags & AV_FRAME_FLAG_CORRUPT))
                    fail(path_ + ": the video stream is damaged");
                if (nextIndex_ < 0) nextIndex_ = indexOf(frame_.get());
                return true;
            }
            if (err == AVERROR_EOF) return false;
            if (err != AVERROR(EAGAIN)) fail(path_ + ": the video stream is damaged (" + avError(err) + ")");
            if (draining_) return false;
            feedPacket();
        }
    }

    void feedPacket() { draining_ = feedDecoder(input_.get(), decoder_.get(), packet_.get(), stream_, path_, "video"); }

    std::int64_t indexOf(const AVFrame* f) const {
        std::int64_t pts = f->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE) return skipTo_ <= 0 ? 0 : skipTo_;
        const AVStream* st = input_->streams[stream_];
        return av_rescale_q_rnd(pts - startPts_, st->time_base, av_inv_q(fps_),
                                static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    }

    std::string path_;
    InputPtr input_;
    AVRational fps_;
    int stream_ = -1;
    CodecPtr decoder_;
    PacketPtr packet_;
    FramePtr frame_;
    std::int64_t startPts_ = 0;
    std::int64_t nextIndex_ = 0;
    std::int64_t skipTo_ = 0;
    bool ended_ = false;
    bool draining_ = false;
    bool retried_ = true;
};

constexpr int kDecodeOnSeconds = 20;

class FileAudioSource final : public AudioSource {
public:
    FileAudioSource(const std::string& path, std::int64_t videoStart, AVRational videoBase)
        : path_(path), input_(openInput(path)) {
        stream_ = findStream(input_.get(), AVMEDIA_TYPE_AUDIO);
        decoder_ = openDecoder(input_->streams[stream_], path);
        if (decoder_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&decoder_->ch_layout, decoder_->ch_layout.nb_channels);
        check(av_channel_layout_copy(&layout_, &decoder_->ch_layout), path);
        rate_ = decoder_->sample_rate;
        origin_ = av_rescale_q(videoStart, videoBase, AVRational{1, rate_});
        SwrContext* swr = nullptr;
        check(swr_alloc_set_opts2(&swr, &layout_, AV_SAMPLE_FMT_FLT, rate_, &decoder_->ch_layout,
                                  decoder_->sample_fmt, rate_, 0, nullptr), path);
        swr_.reset(swr);
        check(swr_init(swr), path);
        packet_ = newPacket();
        frame_ = newFrame();
    }
    ~FileAudioSource() override { av_channel_layout_uninit(&layout_); }

    int sampleRate() const override { return rate_; }
    const AVChannelLayout& layout() const override { return layout_; }

    void seek(std::int64_t sample) override {
        if (sample == position_) return;
        // Near ahead, decoding on keeps every sample exact; a container's seek
        // lands only as precisely as its time stamps.
        if (sample > position_ && sample - position_ < static_cast<std::int64_t>(rate_) * kDecodeOnSeconds) {
            std::vector<float> scratch(4096 * static_cast<std::size_t>(layout_.nb_channels));
            while (position_ < sample) {
                int n = static_cast<int>(std::min<std::int64_t>(4096, sample - position_));
                if (read(scratch.data(), n) < n) break;
            }
            return;
        }
        const AVStream* st = input_->streams[stream_];
        std::int64_t target = av_rescale_q(sample + origin_, AVRational{1, rate_}, st->time_base);
        if (av_seek_frame(input_.get(), stream_, target, AVSEEK_FLAG_BACKWARD) < 0)
            check(av_seek_frame(input_.get(), stream_, 0, AVSEEK_FLAG_BACKWARD), path_);
        avcodec_flush_buffers(decoder_.get());
        swr_.reset();
        SwrContext* swr = nullptr;
        check(swr_alloc_set_opts2(&swr, &layout_, AV_SAMPLE_FMT_FLT, rate_, &decoder_->ch_layout,
                                  decoder_->sample_fmt, rate_, 0, nullptr), path_);
        swr_.reset(swr);
        check(swr_init(swr), path_);
        pending_.clear();
        pendingStart_ = -1;
        draining_ = false;
        position_ = sample;
    }

    int read(float* out, int count) override {
        const int ch = layout_.nb_channels;
        int done = 0;
        while (done < count) {
            if (pendingStart_ >= 0 && pendingStart_ + pendingSamples() > position_) {
                // Samples before the position are dropped; a gap before the first is silence.
                if (pendingStart_ > position_) {
                    std::int64_t gap = std::min<std::int64_t>(pendingStart_ - position_, count - done);
                    std::fill(out + done * ch, out + (done + gap) * ch, 0.0f);
                    done += static_cast<int>(gap);
                    position_ += gap;
                    continue;
                }
                std::int64_t from = position_ - pendingStart_;
                std::int64_t n = std::min<std::int64_t>(pendingSamples() - from, count - done);
                std::copy_n(pending_.begin() + from * ch, n * ch, out + done * ch);
                done += static_cast<int>(n);
                position_ += n;
                continue;
            }
            if (!decodeMore()) break;
        }
        return done;
    }

private:
    std::int64_t pendingSamples() const {
        return static_cast<std::int64_t>(pending_.size()) / layout_.nb_channels;
    }

    // Replaces pending_ with the next decoded frame's samples.
    bool decodeMore() {
        for (;;) {
            int err = avcodec_receive_frame(decoder_.get(), frame_.get());
            if (err == 0) {
                convertFrame();
                return true;
            }
            if (err == AVERROR_EOF || (err == AVERROR(EAGAIN) && draining_)) return false;
            if (err != AVERROR(EAGAIN)) fail(path_ + ": the sound stream is damaged (" + avError(err) + ")");
            feedPacket();
        }
    }

    void convertFrame() {
        const int ch = layout_.nb_channels;
        // Time stamps fix the position after opening or seeking; after that the
        // sound runs on from the last frame, since containers round stamps (to
        // milliseconds, say) more coarsely than a sample. Only a real gap resyncs.
        bool hasStamp = frame_->best_effort_timestamp != AV_NOPTS_VALUE;
        std::int64_t stamped = !hasStamp ? 0
                                   : av_rescale_q(frame_->best_effort_timestamp,
                                                  input_->streams[stream_]->time_base, AVRational{1, rate_}) -
                                         origin_;
        std::int64_t start = stamped;
        if (pendingStart_ >= 0) {
            std::int64_t runOn = pendingStart_ + pendingSamples();
            if (!hasStamp || std::llabs(stamped - runOn) < rate_ / 10) start = runOn;
        }
        pending_.resize(static_cast<std::size_t>(frame_->nb_samples) * ch);
        auto* dst = reinterpret_cast<std::uint8_t*>(pending_.data());
        int n = swr_convert(swr_.get(), &dst, frame_->nb_samples,
                            const_cast<const std::uint8_t**>(frame_->extended_data), frame_->nb_samples);
        check(n, path_);
        pending_.resize(static_cast<std::size_t>(n) * ch);
        pendingStart_ = start;
        av_frame_unref(frame_.get());
    }

    void feedPacket() { draining_ = feedDecoder(input_.get(), decoder_.get(), packet_.get(), stream_, path_, "sound"); }

    std::string path_;
    InputPtr input_;
    int stream_ = -1;
    CodecPtr decoder_;
    SwrPtr swr_;
    PacketPtr packet_;
    FramePtr frame_;
    AVChannelLayout layout_{};
    int rate_ = 0;
    std::int64_t origin_ = 0;     // the first picture's moment, in samples of the stream
    std::int64_t position_ = 0;   // the next sample read() delivers
    std::vector<float> pending_;  // one decoded frame
    std::int64_t pendingStart_ = -1;
    bool draining_ = false;
};

}  // namespace

Clip openFileClip(const std::string& path) {
    InputPtr input = openInput(path);
    int video = findStream(input.get(), AVMEDIA_TYPE_VIDEO);
    if (video < 0) fail(path + ": not a video (the file has no picture stream)");
    const AVStream* st = input->streams[video];
    Clip clip;
    ClipInfo& info = clip.info;
    info.name = path;
    info.width = st->codecpar->width;
    info.height = st->codecpar->height;
    info.colorSpace = st->codecpar->color_space;
    info.colorRange = st->codecpar->color_range;
    info.frameRate = av_guess_frame_rate(input.get(), const_cast<AVStream*>(st), nullptr);
    info.pixelAspect = knownAspect(av_guess_sample_aspect_ratio(input.get(), const_cast<AVStream*>(st), nullptr));
    info.orientation = orientationOf(reinterpret_cast<const std::int32_t*>(
        av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, nullptr)));
    if (info.orientation.swapsSides()) {
        std::swap(info.width, info.height);
        std::swap(info.pixelAspect.num, info.pixelAspect.den);
    }
    if (info.frameRate.num <= 0 || info.frameRate.den <= 0)
        fail(path + ": the video has no frame rate");
    info.frameCount = st->nb_frames > 0 ? st->nb_frames : countPackets(path, video);
    if (info.frameCount <= 0) fail(path + ": the video has no frames");
    if (info.width <= 0 || info.height <= 0) fail(path + ": the video has no picture size");
    std::int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
    AVRational base = st->time_base;
    info.hasAudio = findStream(input.get(), AVMEDIA_TYPE_AUDIO) >= 0;
    input.reset();

    clip.video = std::make_unique<FileVideoSource>(path, info.frameRate);
    if (info.hasAudio) clip.audio = std::make_unique<FileAudioSource>(path, start, base);
    return clip;
}

std::unique_ptr<VideoSource> openFileVideo(const std::string& path, AVRational fps) {
    return std::make_unique<FileVideoSource>(path, fps);
}

}  // namespace mv
