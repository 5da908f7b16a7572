// Pictures and sound from a file FFmpeg reads. Video and sound each have a
// demuxer of their own, so the two can be read on different threads.
#include <algorithm>
#include <cmath>
#include <vector>

#include "common/FfmpegUtil.h"
#include "clip/FileSourceParts.h"
#include "common/HostError.h"
#include "clip/Source.h"

namespace mv {

void setOrientation(ClipInfo& info, Orientation orientation) {
    info.orientation = orientation;
    if (!orientation.swapsSides()) return;
    std::swap(info.width, info.height);
    std::swap(info.pixelAspect.num, info.pixelAspect.den);
}

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

// How many frames past its last picture a stream may end before it counts as
// broken off: a container's count can be a frame or two over what it holds.
constexpr std::int64_t kHeldTail = 2;

// A frame's place on the clip's constant-rate grid, from its time stamp.
std::int64_t gridIndex(std::int64_t pts, std::int64_t start, AVRational timeBase, AVRational fps) {
    return av_rescale_q_rnd(pts - start, timeBase, av_inv_q(fps),
                            static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
}

struct PacketScan {
    std::int64_t count = 0;
    std::int64_t lastIndex = -1;  // the latest grid place of a time-stamped packet
    bool allTimed = true;
};

PacketScan scanPackets(const std::string& path, int streamIndex, std::int64_t start, AVRational fps) {
    InputPtr input = openInput(path);
    const AVRational timeBase = input->streams[streamIndex]->time_base;
    PacketPtr packet = newPacket();
    PacketScan scan;
    int err;
    while ((err = av_read_frame(input.get(), packet.get())) >= 0) {
        if (packet->stream_index == streamIndex) {
            ++scan.count;
            if (packet->pts == AV_NOPTS_VALUE)
                scan.allTimed = false;
            else
                scan.lastIndex = std::max(scan.lastIndex, gridIndex(packet->pts, start, timeBase, fps));
        }
        av_packet_unref(packet.get());
    }
    if (err != AVERROR_EOF) fail(path + ": the stream is damaged (" + avError(err) + ")");
    return scan;
}

struct FrameCount {
    std::int64_t frames = 0;
    bool onGrid = false;  // frames are placed by time stamp, not counted
};

// Frames are laid on a grid at the stream's nominal rate by their time
// stamps, so pictures keep in step with the sound: a frame is repeated over a
// gap (a dropped frame, a variable-rate recording) and dropped where frames
// come faster than the grid. Where the container's count agrees with its
// duration that count is the grid's length; otherwise the packets are scanned.
// Streams without time stamps are counted frame by frame.
FrameCount frameCountOf(const std::string& path, const AVStream* st, AVRational fps) {
    const std::int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
    if (st->nb_frames > 0 && st->duration > 0) {
        const std::int64_t spanned = gridIndex(start + st->duration, start, st->time_base, fps);
        if (std::llabs(spanned - st->nb_frames) <= 1) return {st->nb_frames, true};
    }
    const PacketScan scan = scanPackets(path, st->index, start, fps);
    const std::int64_t gridFrames = scan.lastIndex + 1;
    // Time stamps that jump far (joined recordings) are not followed.
    if (!scan.allTimed || gridFrames <= 0 || gridFrames == scan.count || gridFrames > 4 * scan.count)
        return {scan.count, false};
    return {gridFrames, true};
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
    // onGrid: frame i is the one shown at i / fps, up to lastIndex.
    FileVideoSource(const std::string& path, AVRational fps, bool onGrid = false, std::int64_t lastIndex = -1)
        : path_(path), input_(openInput(path)), fps_(fps), onGrid_(onGrid), lastIndex_(lastIndex) {
        stream_ = findStream(input_.get(), AVMEDIA_TYPE_VIDEO);
        const AVStream* st = input_->streams[stream_];
        decoder_ = openDecoder(st, path);
        startPts_ = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
        packet_ = newPacket();
        frame_ = newFrame();
        ahead_ = newFrame();
    }

    void seek(std::int64_t index) override {
        // Already where the next frame comes from.
        if (onGrid_ ? index == want_ : index == nextIndex_ && !ended_) return;
        const AVStream* st = input_->streams[stream_];
        std::int64_t target = startPts_ + av_rescale_q(index, av_inv_q(fps_), st->time_base);
        // The start is a keyframe by definition; elsewhere seek to the one before.
        int err = index == 0 ? av_seek_frame(input_.get(), stream_, startPts_, AVSEEK_FLAG_BACKWARD)
                             : av_seek_frame(input_.get(), stream_, target, AVSEEK_FLAG_BACKWARD);
        if (err < 0) check(av_seek_frame(input_.get(), -1, 0, AVSEEK_FLAG_BACKWARD), path_);
        avcodec_flush_buffers(decoder_.get());
        ended_ = draining_ = decoded_ = false;
        nextIndex_ = -1;  // unknown until a frame with a time stamp arrives
        skipTo_ = index;
        retried_ = index == 0;
        want_ = index;
        shown_ = aheadReady_ = false;
    }

    const AVFrame* next(std::int64_t& index) override {
        if (onGrid_) return nextOnGrid(index);
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
        // Past the last picture, as on the grid, it is held over a short tail.
        const std::int64_t want = std::max(nextIndex_, skipTo_);
        if (!decoded_ || want > lastIndex_ || want - (nextIndex_ - 1) > kHeldTail) return nullptr;
        index = want;
        nextIndex_ = want + 1;
        return frame_.get();
    }

private:
    // The frame shown at grid place want_: the last one placed at or before
    // it. The first frame also stands for any places before it.
    const AVFrame* nextOnGrid(std::int64_t& index) {
        if (want_ > lastIndex_) return nullptr;
        for (;;) {
            if (!aheadReady_) {
                aheadReady_ = receive(ahead_.get());
                if (aheadReady_) aheadIndex_ = ahead_->best_effort_timestamp == AV_NOPTS_VALUE
                                                   ? shownIndex_ + 1 : indexOf(ahead_.get());
            }
            if (!aheadReady_ || (shown_ && aheadIndex_ > want_)) break;
            if (!shown_ && aheadIndex_ > want_ && !retried_) {
                // The seek landed past the place: decode on from the start instead.
                std::int64_t wanted = want_;
                seek(0);
                want_ = wanted;
                continue;
            }
            retried_ = true;
            std::swap(frame_, ahead_);
            shownIndex_ = aheadIndex_;
            shown_ = true;
            aheadReady_ = false;
        }
        if (!shown_) return nullptr;
        // Past the stream's last picture it is held, as players do, but only
        // over a short tail: a stream that breaks off early is not papered over.
        if (!aheadReady_ && want_ - shownIndex_ > kHeldTail) return nullptr;
        index = want_++;
        return frame_.get();
    }

    // Decodes one frame into frame_ and fixes nextIndex_ to its index; at the
    // end frame_ keeps the last picture.
    bool decodeOne() {
        if (!receive(ahead_.get())) return false;
        std::swap(frame_, ahead_);
        decoded_ = true;
        if (nextIndex_ < 0) nextIndex_ = indexOf(frame_.get());
        return true;
    }

    bool receive(AVFrame* into) {
        for (;;) {
            av_frame_unref(into);
            int err = avcodec_receive_frame(decoder_.get(), into);
            if (err == 0) {
                if (into->decode_error_flags || (into->flags & AV_FRAME_FLAG_CORRUPT))
                    fail(path_ + ": the video stream is damaged");
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
        return gridIndex(pts, startPts_, input_->streams[stream_]->time_base, fps_);
    }

    std::string path_;
    InputPtr input_;
    AVRational fps_;
    int stream_ = -1;
    CodecPtr decoder_;
    PacketPtr packet_;
    FramePtr frame_;   // the frame delivered last
    FramePtr ahead_;   // on the grid: the frame after it, once decoded
    bool onGrid_ = false;
    std::int64_t lastIndex_ = -1;
    std::int64_t want_ = 0;
    bool shown_ = false;
    bool aheadReady_ = false;
    std::int64_t shownIndex_ = -1;
    std::int64_t aheadIndex_ = -1;
    std::int64_t startPts_ = 0;
    std::int64_t nextIndex_ = 0;
    std::int64_t skipTo_ = 0;
    bool ended_ = false;
    bool draining_ = false;
    bool decoded_ = false;  // frame_ holds a picture decoded since the last seek
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
    info.colour = resolveColour(colourOf(st->codecpar), info.width, info.height,
                                !isYuvFormat(static_cast<AVPixelFormat>(st->codecpar->format)));
    if (!convertibleMatrix(st->codecpar->color_space))
        fail(path + ": its colour matrix (" + av_color_space_name(st->codecpar->color_space) +
             ") is not one the effect converts (BT.601, BT.709, BT.2020 with non-constant luminance)");
    info.frameRate = av_guess_frame_rate(input.get(), const_cast<AVStream*>(st), nullptr);
    info.pixelAspect = knownAspect(av_guess_sample_aspect_ratio(input.get(), const_cast<AVStream*>(st), nullptr));
    setOrientation(info, orientationOf(reinterpret_cast<const std::int32_t*>(
                             av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, nullptr))));
    if (info.frameRate.num <= 0 || info.frameRate.den <= 0)
        fail(path + ": the video has no frame rate");
    const FrameCount count = frameCountOf(path, st, info.frameRate);
    info.frameCount = count.frames;
    if (info.frameCount <= 0) fail(path + ": the video has no frames");
    if (info.width <= 0 || info.height <= 0) fail(path + ": the video has no picture size");
    std::int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
    AVRational base = st->time_base;
    info.hasAudio = findStream(input.get(), AVMEDIA_TYPE_AUDIO) >= 0;
    input.reset();

    clip.video = std::make_unique<FileVideoSource>(path, info.frameRate, count.onGrid, info.frameCount - 1);
    if (info.hasAudio) clip.audio = std::make_unique<FileAudioSource>(path, start, base);
    return clip;
}

std::unique_ptr<VideoSource> openFileVideo(const std::string& path, AVRational fps) {
    return std::make_unique<FileVideoSource>(path, fps);
}

}  // namespace mv
