#include "output/AtomicOutput.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/HostError.h"
#include "output/TemporaryFiles.h"

namespace fs = std::filesystem;

namespace mv {

namespace {

fs::path folderOf(const fs::path& p) {
    fs::path parent = p.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

}  // namespace

void checkWritableDestination(const std::string& destination) {
    fs::path folder = folderOf(destination);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) fail(destination + ": the folder " + folder.string() + " does not exist");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        fail(destination + ": cannot write there (" + std::strerror(errno) + ")");
    if (fs::is_directory(destination, ec)) fail(destination + ": is a folder");
}

AtomicOutput::AtomicOutput(const std::string& destination, bool sequence)
    : destination_(destination), sequence_(sequence) {
    if (destination == "-") {
        // A stream has no place to be moved into: it goes out as it is written.
        writePath_ = "pipe:1";
        committed_ = true;
        return;
    }
    checkWritableDestination(destination);
    fs::path name = destination_.filename();
    // No '%' in the folder's name: the sequence writer would take it for the frame number.
    std::string stem = name.string();
    std::replace(stem.begin(), stem.end(), '%', '_');
    std::string tag = "." + stem + ".part-" + std::to_string(getpid());
    temporary_ = folderOf(destination_) / tag;
    rememberTemporary(temporary_);  // before it exists: a signal may come at any moment
    if (sequence_) {
        std::error_code ec;
        fs::remove_all(temporary_, ec);
        if (!fs::create_directory(temporary_, ec)) {
            forgetTemporary(temporary_);
            fail(destination + ": cannot write there (" + ec.message() + ")");
        }
        writePath_ = (temporary_ / name).string();
    } else {
        writePath_ = temporary_.string();
    }
}

AtomicOutput::~AtomicOutput() {
    if (temporary_.empty()) return;
    forgetTemporary(temporary_);
    if (committed_) return;
    std::error_code ec;
    fs::remove_all(temporary_, ec);
}

void AtomicOutput::commit() {
    if (temporary_.empty()) return;
    std::error_code ec;
    if (!sequence_) {
        fs::rename(temporary_, destination_, ec);
        if (ec) fail(destination_.string() + ": cannot put the output in place (" + ec.message() + ")");
    } else {
        fs::path folder = folderOf(destination_);
        for (const auto& entry : fs::directory_iterator(temporary_)) {
            fs::rename(entry.path(), folder / entry.path().filename(), ec);
            if (ec) fail(destination_.string() + ": cannot put the output in place (" + ec.message() + ")");
        }
        fs::remove(temporary_, ec);
    }
    committed_ = true;
}

}  // namespace mv
