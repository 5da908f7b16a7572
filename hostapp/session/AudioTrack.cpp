#include "session/AudioTrack.h"

#include <algorithm>

namespace mv {

AudioTrack::AudioTrack(AudioSource& source, AVRational frameRate) : source_(source), frameRate_(frameRate) {}

int AudioTrack::frameLength(std::int64_t index) const {
    return static_cast<int>(frameStartSample(index + 1, sampleRate(), frameRate_) -
                            frameStartSample(index, sampleRate(), frameRate_));
}

void AudioTrack::mix(std::int64_t frame, float gain, float* out, int length) {
    const int ch = channels();
    scratch_.assign(static_cast<std::size_t>(length) * ch, 0.0f);
    source_.seek(frameStartSample(frame, sampleRate(), frameRate_));
    int got = source_.read(scratch_.data(), length);
    const std::size_t n = static_cast<std::size_t>(got) * ch;
    if (gain == 1.0f) {
        for (std::size_t i = 0; i < n; ++i) out[i] += scratch_[i];
    } else {
        for (std::size_t i = 0; i < n; ++i) out[i] += scratch_[i] * gain;
    }
}

}  // namespace mv
