// Decodes and converts source frames ahead of the plug-in's requests, on a
// worker thread, straight into the pixels of the host's frame images.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "frames/ArgbImage.h"
#include "frames/PixelConvert.h"
#include "clip/Source.h"

namespace mv {

class FramePrefetcher {
public:
    struct Ready {
        int slot = -1;          // -1: the frame could not be had
        std::int64_t index = -1;
        std::string error;      // why, when slot is -1
    };

    // Frames run from 0 to frameCount - 1 in the source, and are delivered
    // turned upright.
    FramePrefetcher(VideoSource& source, std::int64_t frameCount, Orientation orientation = {});
    ~FramePrefetcher();
    FramePrefetcher(const FramePrefetcher&) = delete;
    FramePrefetcher& operator=(const FramePrefetcher&) = delete;

    // Starts decoding at `first` up to `last` into new pixel slots, all free.
    void start(std::int64_t first, std::int64_t last, std::vector<ArgbView> slots, ScaleQuality quality);
    // Stops the worker and forgets the frames it made ahead; held slots stay held.
    void stop();
    // The next frame in order (blocks until it is decoded).
    Ready take();
    // Gives a slot from take() back for reuse.
    void giveBack(int slot);

private:
    void run();
    bool decodeInto(ArgbView slot, ScaleQuality quality, std::int64_t want, std::int64_t& index,
                    std::string& error);

    VideoSource& source_;
    std::int64_t frameCount_;
    ArgbConverter converter_;
    Turner turner_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ArgbView> slots_;
    std::deque<int> free_;
    std::set<int> held_;    // taken and not yet given back
    std::deque<Ready> ready_;
    ScaleQuality quality_ = ScaleQuality::Good;
    std::int64_t next_ = 0;
    std::int64_t last_ = -1;
    bool seekFirst_ = false;
    bool active_ = false;   // a plan is running
    bool busy_ = false;     // the worker is decoding outside the lock
    bool quit_ = false;
    std::thread worker_;
};

}  // namespace mv
