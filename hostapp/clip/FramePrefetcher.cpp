#include "clip/FramePrefetcher.h"

#include "common/HostError.h"

namespace mv {

FramePrefetcher::FramePrefetcher(VideoSource& source, std::int64_t frameCount, Orientation orientation,
                                 const ColourDescription& colour)
    : source_(source), frameCount_(frameCount), converter_(colour), turner_(orientation), worker_([this] { run(); }) {}

FramePrefetcher::~FramePrefetcher() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        changed_.notify_all();
    }
    worker_.join();
}

void FramePrefetcher::start(std::int64_t first, std::int64_t last, std::uint64_t pool,
                            std::vector<ArgbView> slots, ScaleQuality quality) {
    stop();
    std::lock_guard lock(mutex_);
    if (pool != pool_) lent_.clear();  // the old pool's frames are its own affair now
    pool_ = pool;
    slots_ = std::move(slots);
    free_.clear();
    for (int i = 0; i < static_cast<int>(slots_.size()); ++i)
        if (!lent_.count(i)) free_.push_back(i);
    quality_ = quality;
    next_ = expected_ = first;
    last_ = std::min(last, frameCount_ - 1);
    seekFirst_ = true;
    active_ = true;
    changed_.notify_all();
}

void FramePrefetcher::stop() {
    std::unique_lock lock(mutex_);
    active_ = false;
    changed_.wait(lock, [&] { return !busy_; });
    ready_.clear();
    free_.clear();
    for (int i = 0; i < static_cast<int>(slots_.size()); ++i)
        if (!lent_.count(i)) free_.push_back(i);
    expected_ = -1;
}

bool FramePrefetcher::deliversNext(std::int64_t index) const {
    std::lock_guard lock(mutex_);
    return active_ && index == expected_ && index <= last_;
}

// Nothing ready and nothing the worker can do: the plan has run out, or
// every slot is lent.
bool FramePrefetcher::stalled() const {
    return ready_.empty() && !busy_ && (next_ > last_ || free_.empty());
}

FramePrefetcher::Ready FramePrefetcher::take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !ready_.empty() || !active_ || stalled(); });
    if (ready_.empty()) {
        if (active_ && next_ <= last_) return {-1, next_, "every frame image is still lent to the plug-in"};
        return {-1, expected_, "no frame was asked for"};
    }
    Ready r = std::move(ready_.front());
    ready_.pop_front();
    if (r.slot >= 0) {
        lent_.insert(r.slot);
        expected_ = r.index + 1;
    } else {
        expected_ = -1;
    }
    return r;
}

void FramePrefetcher::giveBack(std::uint64_t pool, int slot) {
    std::lock_guard lock(mutex_);
    if (pool != pool_ || !lent_.erase(slot)) return;
    free_.push_back(slot);
    changed_.notify_all();
}

void FramePrefetcher::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return quit_ || (active_ && !free_.empty() && next_ <= last_); });
        if (quit_) return;
        int slot = free_.front();
        free_.pop_front();
        ArgbView view = slots_[slot];
        std::int64_t want = next_++;
        bool seek = seekFirst_;
        seekFirst_ = false;
        ScaleQuality quality = quality_;
        busy_ = true;
        lock.unlock();

        std::string error;
        std::int64_t got = -1;
        bool ok = true;
        try {
            if (seek) source_.seek(want);
            ok = decodeInto(view, quality, want, got, error);
            if (ok && got != want) {
                ok = false;
                error = "frame " + std::to_string(want) + " is missing from the stream";
            }
        } catch (const std::exception& e) {
            ok = false;
            error = e.what();
        }

        lock.lock();
        busy_ = false;
        if (active_) {
            if (ok) {
                ready_.push_back({slot, want, {}});
            } else {
                free_.push_back(slot);
                ready_.push_back({-1, want, error});
                last_ = -1;  // nothing after a failure
            }
        } else {
            free_.push_back(slot);
        }
        changed_.notify_all();
    }
}

bool FramePrefetcher::decodeInto(ArgbView slot, ScaleQuality quality, std::int64_t want,
                                 std::int64_t& index, std::string& error) {
    const AVFrame* frame = source_.next(index);
    if (!frame) {
        error = "the stream ends before frame " + std::to_string(want) + " (it may be truncated)";
        return false;
    }
    converter_.convert(frame, turner_.storedFor(slot), quality);
    turner_.turn(slot);
    return true;
}

}  // namespace mv
