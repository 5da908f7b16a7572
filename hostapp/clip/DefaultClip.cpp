// The embedded default clip: FFmpeg's moving test pattern with a tone,
// synthesized by filter graphs, so the host needs no sample file.
extern "C" {
#include <libavfilter/buffersink.h>
}

#include <algorithm>
#include <vector>

#include "common/FfmpegUtil.h"
#include "common/HostError.h"
#include "clip/Source.h"

namespace mv {

namespace {

constexpr int kWidth = 1280, kHeight = 720, kSeconds = 6, kRate = 48000;
constexpr AVRational kFps{30, 1};

// A source graph ending in a sink; rebuilt to start over, since the
// generators cannot seek.
struct Generator {
    GraphPtr graph;
    AVFilterContext* sink = nullptr;

    explicit Generator(const std::string& description, bool audio) {
        graph.reset(avfilter_graph_alloc());
        if (!graph) fail("out of memory");
        graph->nb_threads = 1;
        const AVFilter* sinkFilter = avfilter_get_by_name(audio ? "abuffersink" : "buffersink");
        check(avfilter_graph_create_filter(&sink, sinkFilter, "out", nullptr, nullptr, graph.get()),
              "the default clip");
        AVFilterInOut* outputs = avfilter_inout_alloc();
        outputs->name = av_strdup("out");
        outputs->filter_ctx = sink;
        AVFilterInOut* inputs = nullptr;
        int err = avfilter_graph_parse_ptr(graph.get(), description.c_str(), &outputs, &inputs, nullptr);
        avfilter_inout_free(&outputs);
        avfilter_inout_free(&inputs);
        check(err, "the default clip");
        check(avfilter_graph_config(graph.get(), nullptr), "the default clip");
    }
};

std::string videoGraph() {
    return "testsrc2=size=" + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
           ":rate=30:duration=" + std::to_string(kSeconds) + ",format=yuv420p[out]";
}

std::string audioGraph() {
    return "sine=frequency=440:beep_factor=2:sample_rate=" + std::to_string(kRate) +
           ":duration=" + std::to_string(kSeconds) +
           ",aformat=sample_fmts=flt:channel_layouts=stereo[out]";
}

class PatternSource final : public VideoSource {
public:
    PatternSource() : frame_(newFrame()) { restart(); }

    void seek(std::int64_t index) override {
        if (index < next_) restart();
        skipTo_ = index;
    }

    const AVFrame* next(std::int64_t& index) override {
        for (;;) {
            av_frame_unref(frame_.get());
            int err = av_buffersink_get_frame(gen_->sink, frame_.get());
            if (err == AVERROR_EOF) return nullptr;
            check(err, "the default clip");
            if (next_++ < skipTo_) continue;
            index = next_ - 1;
            return frame_.get();
        }
    }

private:
    void restart() {
        gen_ = std::make_unique<Generator>(videoGraph(), false);
        next_ = 0;
        skipTo_ = 0;
    }

    std::unique_ptr<Generator> gen_;
    FramePtr frame_;
    std::int64_t next_ = 0;
    std::int64_t skipTo_ = 0;
};

class ToneSource final : public AudioSource {
public:
    ToneSource() : frame_(newFrame()) {
        av_channel_layout_default(&layout_, 2);
        restart();
    }
    ~ToneSource() override { av_channel_layout_uninit(&layout_); }

    int sampleRate() const override { return kRate; }
    const AVChannelLayout& layout() const override { return layout_; }

    void seek(std::int64_t sample) override {
        if (sample < position_) restart();
        std::vector<float> scratch(4096 * 2);
        while (position_ < sample) {
            int n = static_cast<int>(std::min<std::int64_t>(4096, sample - position_));
            if (read(scratch.data(), n) < n) break;
        }
    }

    int read(float* out, int count) override {
        int done = 0;
        while (done < count) {
            if (used_ < frame_->nb_samples) {
                int n = std::min(count - done, frame_->nb_samples - used_);
                const auto* src = reinterpret_cast<const float*>(frame_->data[0]) + used_ * 2;
                std::copy_n(src, n * 2, out + done * 2);
                used_ += n;
                done += n;
                position_ += n;
                continue;
            }
            av_frame_unref(frame_.get());
            used_ = 0;
            int err = av_buffersink_get_frame(gen_->sink, frame_.get());
            if (err == AVERROR_EOF) break;
            check(err, "the default clip");
        }
        return done;
    }

private:
    void restart() {
        gen_ = std::make_unique<Generator>(audioGraph(), true);
        av_frame_unref(frame_.get());
        used_ = 0;
        position_ = 0;
    }

    std::unique_ptr<Generator> gen_;
    FramePtr frame_;
    AVChannelLayout layout_{};
    int used_ = 0;
    std::int64_t position_ = 0;
};

}  // namespace

Clip openDefaultClip() {
    Clip clip;
    clip.info.name = "the default clip";
    clip.info.width = kWidth;
    clip.info.height = kHeight;
    clip.info.frameRate = kFps;
    clip.info.frameCount = static_cast<std::int64_t>(kSeconds) * kFps.num / kFps.den;
    clip.info.hasAudio = true;
    clip.info.colour = resolveColour({AVCOL_SPC_SMPTE170M, AVCOL_PRI_SMPTE170M, AVCOL_TRC_SMPTE170M, AVCOL_RANGE_MPEG},
                                     kWidth, kHeight, false);
    clip.video = std::make_unique<PatternSource>();
    clip.audio = std::make_unique<ToneSource>();
    return clip;
}

}  // namespace mv
