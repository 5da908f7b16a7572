#include "output/TemporaryFiles.h"

#include <mutex>
#include <set>

namespace mv {

namespace {

std::mutex& lock() {
    static std::mutex m;
    return m;
}

std::set<std::filesystem::path>& temporaries() {
    static std::set<std::filesystem::path> paths;
    return paths;
}

}  // namespace

void rememberTemporary(const std::filesystem::path& path) {
    std::lock_guard guard(lock());
    temporaries().insert(path);
}

void forgetTemporary(const std::filesystem::path& path) {
    std::lock_guard guard(lock());
    temporaries().erase(path);
}

void removeTemporaries() {
    std::lock_guard guard(lock());
    for (const auto& path : temporaries()) {
        // Another thread may still be adding frames to a folder being removed.
        std::error_code ignored;
        for (int attempt = 0; attempt < 3 && std::filesystem::exists(path, ignored); ++attempt)
            std::filesystem::remove_all(path, ignored);
    }
    temporaries().clear();
}

}  // namespace mv
