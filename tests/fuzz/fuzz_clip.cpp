// Any bytes as a clip the user names: opening it with every check the host
// makes, its first pictures decoded and converted, and some of its sound.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "clip/Source.h"
#include "frames/Orientation.h"
#include "frames/PixelConvert.h"
#include "session/HostCallbacks.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

// Pictures larger than this are not converted: the fuzzer's memory limit is
// not the host's.
constexpr long kLargestPicture = 1L << 22;

// The file each input is written to, removed when the run ends.
struct ClipFile {
    ClipFile() : path((std::filesystem::temp_directory_path() / ("mvfuzz-clip-" + std::to_string(getpid()))).string()) {
        av_log_set_level(AV_LOG_QUIET);
    }
    ~ClipFile() { std::remove(path.c_str()); }
    std::string path;
};

const std::string& clipFile() {
    static ClipFile file;
    return file.path;
}

void decodeSome(mv::Clip& clip) {
    const mv::ClipInfo& info = clip.info;
    const bool convert = long{info.width} * info.height <= kLargestPicture;
    // Into a frame image as the host makes them, with their row padding.
    GWorldPtr world = mv::newFrameWorld(convert ? info.width : 1, convert ? info.height : 1);
    struct Disposer {
        GWorldPtr w;
        ~Disposer() { DisposeGWorld(w); }
    } disposer{world};
    const mv::ArgbView picture = mv::viewOf(world);
    mv::ArgbConverter converter;
    mv::Turner turner(info.orientation);  // turned upright as the host's prefetcher does
    clip.video->seek(0);
    for (int n = 0; n < 3; ++n) {
        std::int64_t index = -1;
        const AVFrame* frame = clip.video->next(index);
        if (!frame) break;
        if (!convert) continue;
        converter.convert(frame, turner.storedFor(picture), mv::ScaleQuality::Good);
        turner.turn(picture);
    }
    if (info.frameCount > 2) {
        clip.video->seek(info.frameCount - 1);
        std::int64_t index = -1;
        clip.video->next(index);
    }
    if (clip.audio) {
        std::vector<float> sound(1024 * static_cast<std::size_t>(clip.audio->layout().nb_channels));
        clip.audio->read(sound.data(), 1024);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(clipFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        mv::Clip clip = mv::openFileClip(clipFile());
        decodeSome(clip);
    } catch (const std::exception&) {
        // Refused with a message, as the host refuses bad input.
    }
    return 0;
}
