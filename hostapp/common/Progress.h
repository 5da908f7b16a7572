// A progress bar on a terminal: frame, speed and time left. Silent when
// standard error is not a terminal.
#pragma once

#include <chrono>
#include <cstdint>

namespace mv {

class Progress {
public:
    explicit Progress(std::int64_t total);
    ~Progress();
    void update(std::int64_t done);
    // Clears the bar's line.
    void finish();

private:
    std::int64_t total_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_, lastDraw_;
};

}  // namespace mv
