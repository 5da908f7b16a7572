// A private configuration home for one test: XDG_CONFIG_HOME points into a
// fresh temporary folder for the test's life, so no test reads or writes the
// real user's settings.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace mvtest {

class TempConfigHome {
public:
    TempConfigHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "mvtest-XXXXXX").string();
        if (!mkdtemp(pattern.data())) ADD_FAILURE() << "cannot make a temporary folder";
        root_ = pattern;
        for (Saved& saved : saved_) {
            const char* value = std::getenv(saved.name);
            saved.had = value != nullptr;
            saved.value = value ? value : "";
        }
        setenv("XDG_CONFIG_HOME", Prefs().c_str(), 1);
    }
    // Tests may change both variables; each is put back as it was.
    ~TempConfigHome() {
        for (const Saved& saved : saved_) {
            if (saved.had) setenv(saved.name, saved.value.c_str(), 1);
            else unsetenv(saved.name);
        }
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // The Preferences folder; it does not exist until something creates it.
    std::filesystem::path Prefs() const { return root_ / "config"; }

private:
    struct Saved {
        const char* name;
        bool had = false;
        std::string value;
    };
    std::filesystem::path root_;
    Saved saved_[2] = {{"XDG_CONFIG_HOME"}, {"HOME"}};
};

inline std::vector<unsigned char> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline unsigned BigEndian(const std::vector<unsigned char>& bytes, size_t at, int count) {
    unsigned value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes.at(at + i);
    return value;
}

}  // namespace mvtest
