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
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    temporaries().clear();
}

}  // namespace mv
