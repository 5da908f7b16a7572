#include "commands/Paths.h"

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace mv {

fs::path executableDir() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

// Beside bin/ in the build directory; in lib/morvatelle/ once installed.
fs::path defaultBundlePath() {
    const fs::path prefix = executableDir().parent_path();
    const fs::path built = prefix / "Morva Telle.bundle";
    std::error_code ec;
    return fs::exists(built, ec) ? built : prefix / "lib/morvatelle/Morva Telle.bundle";
}

fs::path settingsToolPath() { return executableDir() / "morvatelle-settings"; }

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace mv
