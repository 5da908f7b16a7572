// An output written under a temporary name beside its destination and moved
// into place only when complete, so a failed or interrupted run never leaves
// a file that looks finished.
#pragma once

#include <filesystem>
#include <string>

namespace mv {

class AtomicOutput {
public:
    // An image-sequence pattern (NAME%05d.png) gets a temporary folder; "-"
    // is standard output, written as it comes.
    AtomicOutput(const std::string& destination, bool sequence);
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    // Where the writer writes: a file, or a pattern inside the temporary folder.
    const std::string& writePath() const { return writePath_; }
    // Moves the finished output into place.
    void commit();

private:
    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    std::string writePath_;
    bool sequence_;
    bool committed_ = false;
};

// Fails unless the folder of `destination` exists and is writable.
void checkWritableDestination(const std::string& destination);

}  // namespace mv
