// Encodes rendered frames and their sound into one output file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frames/ArgbImage.h"
#include "frames/Colour.h"
#include "common/FfmpegUtil.h"
#include "output/OutputFormat.h"
#include "frames/PixelConvert.h"

namespace mv {

struct EncoderSettings {
    int width = 0;
    int height = 0;
    AVRational frameRate{30, 1};
    AVRational pixelAspect{1, 1};
    ColourDescription colour = resolveColour({}, 0, 0, false);  // the source's, resolved
    int crf = 18;
    bool audio = false;
    int sampleRate = 0;
    const AVChannelLayout* layout = nullptr;  // of the interleaved float input
};

class Encoder {
public:
    // `name` is the destination the user named, for messages; `writePath` where bytes go.
    Encoder(const std::string& name, const std::string& writePath, const OutputFormat& format,
            const EncoderSettings& settings);
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    void writeVideo(ArgbView frame);
    // Interleaved float samples at the settings' rate and layout.
    void writeAudio(const float* samples, int count);
    // Flushes the encoders and completes the file.
    void finish();

private:
    void openVideo(const OutputFormat& format, const EncoderSettings& settings);
    void openAudio(const OutputFormat& format, const EncoderSettings& settings);
    void drain(AVCodecContext* codec, AVStream* stream);
    void sendAudio(bool flush);
    void writePacket(AVPacket* packet);
    // Fails for a write error; a closed pipe says so.
    void checkWrite(int err) const;

    // The muxer and its open file, closed however the encoder ends, a
    // constructor that throws included.
    struct OutputCloser {
        void operator()(AVFormatContext* output) const;
    };
    std::string name_;
    std::unique_ptr<AVFormatContext, OutputCloser> output_;
    CodecPtr video_;
    CodecPtr audio_;
    AVStream* videoStream_ = nullptr;
    AVStream* audioStream_ = nullptr;
    FramePtr picture_;
    FramePtr sound_;
    SwrPtr resampler_;
    FifoPtr fifo_;
    PacketPtr packet_;
    FrameConverter converter_;
    std::int64_t nextPicture_ = 0;
    std::int64_t nextSample_ = 0;
    bool finished_ = false;
};

}  // namespace mv
