// The clip's sound cut into frame-long spans, mixed into the output frame by frame.
#pragma once

#include <cstdint>
#include <vector>

#include "clip/Source.h"

namespace mv {

class AudioTrack {
public:
    AudioTrack(AudioSource& source, AVRational frameRate);

    int channels() const { return source_.layout().nb_channels; }
    int sampleRate() const { return source_.sampleRate(); }
    // Samples per channel of output frame `index`: the spans tile the timeline exactly.
    int frameLength(std::int64_t index) const;
    // Adds `length` samples of source frame `frame`'s sound, times gain, into out.
    void mix(std::int64_t frame, float gain, float* out, int length);

private:
    AudioSource& source_;
    AVRational frameRate_;
    std::vector<float> scratch_;
};

}  // namespace mv
