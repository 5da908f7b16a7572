// Decodes and converts source frames ahead of the plug-in's requests, on a
// worker thread, straight into the pixels of the host's frame images.
//
// A plan decodes frames first..last into the slots of one pool. Slots taken
// and not yet given back are lent: a new plan on the same pool never decodes
// into them, and a slot of a pool that has since been replaced is given back
// to nobody. take() never waits for a frame the plan cannot deliver.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "clip/Source.h"
#include "frames/ArgbImage.h"
#include "frames/PixelConvert.h"

namespace mv {

class FramePrefetcher {
public:
    struct Ready {
        int slot = -1;          // -1: the frame could not be had
        std::int64_t index = -1;
        std::string error;      // why, when slot is -1
    };

    // Frames run from 0 to frameCount - 1 in the source, and are delivered
    // turned upright, converted with the matrix and range of `colour` (of
    // each frame's own tags, where it has no matrix).
    FramePrefetcher(VideoSource& source, std::int64_t frameCount, Orientation orientation = {},
                    const ColourDescription& colour = {});
    ~FramePrefetcher();
    FramePrefetcher(const FramePrefetcher&) = delete;
    FramePrefetcher& operator=(const FramePrefetcher&) = delete;

    // Starts decoding at `first` up to `last` into the slots of pool `pool`.
    // The same pool keeps its lent slots lent; a new pool starts with all free.
    void start(std::int64_t first, std::int64_t last, std::uint64_t pool, std::vector<ArgbView> slots,
               ScaleQuality quality);
    // Stops the worker and forgets the frames it made ahead.
    void stop();
    // Whether the running plan delivers `index` next.
    bool deliversNext(std::int64_t index) const;
    // The next frame of the plan, lent until given back; blocks while it is
    // decoded. An error when the plan has nothing more it can deliver.
    Ready take();
    // Gives back a slot of `pool` lent by take(); a retired pool's is ignored.
    void giveBack(std::uint64_t pool, int slot);

private:
    void run();
    bool decodeInto(ArgbView slot, ScaleQuality quality, std::int64_t want, std::int64_t& index,
                    std::string& error);
    bool stalled() const;

    VideoSource& source_;
    std::int64_t frameCount_;
    ArgbConverter converter_;
    Turner turner_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t pool_ = 0;
    std::vector<ArgbView> slots_;
    std::deque<int> free_;
    std::set<int> lent_;
    std::deque<Ready> ready_;
    ScaleQuality quality_ = ScaleQuality::Good;
    std::int64_t next_ = 0;      // the worker decodes this one next
    std::int64_t last_ = -1;
    std::int64_t expected_ = -1; // take() delivers this one next
    bool seekFirst_ = false;
    bool active_ = false;   // a plan is running
    bool busy_ = false;     // the worker is decoding outside the lock
    bool quit_ = false;
    std::thread worker_;
};

}  // namespace mv
