#include "clip/FramePrefetcher.h"

#include "common/HostError.h"

namespace mv {

FramePrefetcher::FramePrefetcher(VideoSource& source, std::int64_t frameCount, Orientation orientation)
    : source_(source), frameCount_(frameCount), turner_(orientation), worker_([this] { run(); }) {}

FramePrefetcher::~FramePrefetcher() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        changed_.notify_all();
    }
    worker_.join();
}

void FramePrefetcher::start(std::int64_t first, std::int64_t last, std::vector<ArgbView> slots,
                            ScaleQuality quality) {
    stop();
    std::lock_guard lock(mutex_);
    slots_ = std::move(slots);
    held_.clear();
    free_.clear();
    for (int i = 0; i < static_cast<int>(slots_.size()); ++i) free_.push_back(i);
    quality_ = quality;
    next_ = first;
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
        if (!held_.count(i)) free_.push_back(i);
}

FramePrefetcher::Ready FramePrefetcher::take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !ready_.empty() || !active_; });
    if (ready_.empty()) return {-1, -1, "no frame was asked for"};
    Ready r = std::move(ready_.front());
    ready_.pop_front();
    if (r.slot >= 0) held_.insert(r.slot);
    return r;
}

void FramePrefetcher::giveBack(int slot) {
    std::lock_guard lock(mutex_);
    if (!held_.erase(slot)) return;
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
