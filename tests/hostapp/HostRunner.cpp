#include "HostRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace mvtest {

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::uint8_t> bytes(const fs::path& p) {
    std::string s = slurp(p);
    return {s.begin(), s.end()};
}

}  // namespace

Scratch::Scratch() {
    std::string pattern = (fs::temp_directory_path() / "mvhost-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    fs::create_directories(dir_ / "config");
}

Scratch::~Scratch() {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
}

RunResult Scratch::run(const std::vector<std::string>& argv, const std::string& shellPrefix,
                       const std::function<void(pid_t)>& whileRunning) const {
    fs::path out = dir_ / ".stdout", err = dir_ / ".stderr";
    pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(o, 1);
        dup2(e, 2);
        if (!shellPrefix.empty()) {
            std::string command = shellPrefix + " exec";
            for (const auto& a : argv) command += " '" + a + "'";
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        } else {
            std::vector<char*> args;
            for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execvp(args[0], args.data());
        }
        _exit(127);
    }
    if (whileRunning) whileRunning(pid);
    int status = 0;
    waitpid(pid, &status, 0);
    RunResult r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

RunResult Scratch::host(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{hostProgram().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(argv);
}

void Scratch::ffmpeg(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{"ffmpeg", "-nostdin", "-v", "error", "-y"};
    argv.insert(argv.end(), args.begin(), args.end());
    RunResult r = run(argv);
    if (r.status != 0) throw std::runtime_error("ffmpeg failed: " + r.err);
}

fs::path buildDir() {
    const char* dir = std::getenv("MV_BUILD_DIR");
    return dir ? fs::path(dir) : fs::current_path();
}

fs::path hostProgram() { return buildDir() / "bin" / "morvatelle"; }

void writeClip(const Scratch& s, const fs::path& file, int w, int h, int n, int fps, const PixelFn& fn,
               const std::vector<std::int16_t>& sound) {
    fs::path raw = s.path(".video.rgb");
    {
        std::ofstream out(raw, std::ios::binary);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 3);
        for (int f = 0; f < n; ++f)
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) fn(x, y, f, &row[static_cast<std::size_t>(x) * 3]);
                out.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
            }
    }
    std::vector<std::string> args{"-f", "rawvideo", "-pix_fmt", "rgb24", "-s", std::to_string(w) + "x" + std::to_string(h),
                                  "-r", std::to_string(fps), "-i", raw.string()};
    if (!sound.empty()) {
        fs::path pcm = s.path(".sound.pcm");
        std::ofstream out(pcm, std::ios::binary);
        out.write(reinterpret_cast<const char*>(sound.data()), static_cast<std::streamsize>(sound.size() * 2));
        out.close();
        args.insert(args.end(), {"-f", "s16le", "-ar", "48000", "-ac", "2", "-i", pcm.string(), "-c:a", "pcm_s16le"});
    }
    args.insert(args.end(), {"-c:v", "ffv1", "-pix_fmt", "bgr0", file.string()});
    s.ffmpeg(args);
}

std::vector<Picture> readFrames(const Scratch& s, const std::string& input, int w, int h) {
    fs::path raw = s.path(".frames.rgb");
    std::vector<std::string> args;
    if (input.find('%') != std::string::npos) args = {"-start_number", "0"};
    args.insert(args.end(), {"-i", input, "-f", "rawvideo", "-pix_fmt", "rgb24", raw.string()});
    s.ffmpeg(args);
    std::vector<std::uint8_t> all = bytes(raw);
    std::size_t size = static_cast<std::size_t>(w) * h * 3;
    std::vector<Picture> frames;
    for (std::size_t at = 0; at + size <= all.size(); at += size) frames.emplace_back(all.begin() + at, all.begin() + at + size);
    return frames;
}

std::vector<Picture> hostStretch(const Scratch& s, const fs::path& clip, int in, int frames, int w, int h) {
    const RunResult r = s.host({"render", clip.string(), "--start", std::to_string(in), "--frames", std::to_string(frames),
                                "-o", s.path("stretch.mkv").string()});
    if (r.status != 0) return {};
    return readFrames(s, s.path("stretch.mkv").string(), w, h);
}

std::vector<std::int16_t> readSound(const Scratch& s, const std::string& input) {
    fs::path raw = s.path(".sound.s16");
    s.ffmpeg({"-i", input, "-vn", "-f", "s16le", "-ac", "2", "-ar", "48000", raw.string()});
    std::vector<std::uint8_t> b = bytes(raw);
    std::vector<std::int16_t> samples(b.size() / 2);
    std::memcpy(samples.data(), b.data(), samples.size() * 2);
    return samples;
}

}  // namespace mvtest
