// A still image shown as a clip: the one decoded picture for every frame.
#include <cmath>
#include <string_view>

#include "clip/FileSourceParts.h"
#include "common/HostError.h"
#include "clip/Source.h"

namespace mv {

namespace {

class StillVideoSource final : public VideoSource {
public:
    StillVideoSource(FramePtr picture, std::int64_t count) : picture_(std::move(picture)), count_(count) {}

    void seek(std::int64_t index) override { next_ = index; }

    const AVFrame* next(std::int64_t& index) override {
        if (next_ >= count_) return nullptr;
        index = next_++;
        return picture_.get();
    }

private:
    FramePtr picture_;
    std::int64_t count_;
    std::int64_t next_ = 0;
};

}  // namespace

bool isStillImage(const std::string& path) {
    // Numbered sequences are clips; one picture file is read by "image2" or
    // by one of the "<codec>_pipe" readers.
    // Only the reader is asked for: no stream is analysed or decoded.
    if (path.find('%') != std::string::npos) return false;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return false;
    InputPtr input(raw);
    const std::string_view reader = input->iformat->name;
    return reader == "image2" || reader.ends_with("_pipe");
}

Clip openStillClip(const std::string& path, double seconds, AVRational fps) {
    if (!(seconds > 0) || !std::isfinite(seconds)) fail("--duration must be a positive number of seconds");
    if (fps.num <= 0 || fps.den <= 0) fail("--fps must be a positive rate");
    InputPtr input = openInput(path);
    int video = findStream(input.get(), AVMEDIA_TYPE_VIDEO);
    if (video < 0) fail(path + ": not an image (the file has no picture)");
    input.reset();

    auto source = openFileVideo(path, fps);
    std::int64_t index = 0;
    const AVFrame* first = source->next(index);
    if (!first) fail(path + ": the image has no picture");
    FramePtr picture(av_frame_clone(first));
    if (!picture) fail("out of memory");

    Clip clip;
    clip.info.name = path;
    clip.info.width = picture->width;
    clip.info.height = picture->height;
    clip.info.frameRate = fps;
    clip.info.pixelAspect = knownAspect(picture->sample_aspect_ratio);
    // A photo's own orientation (from its EXIF tag, for one) comes with the picture.
    if (const AVFrameSideData* turn = av_frame_get_side_data(picture.get(), AV_FRAME_DATA_DISPLAYMATRIX))
        setOrientation(clip.info, orientationOf(reinterpret_cast<const std::int32_t*>(turn->data)));
    clip.info.colour = resolveColour(colourOf(picture.get()), picture->width, picture->height,
                                     !isYuvFormat(static_cast<AVPixelFormat>(picture->format)));
    if (!convertibleMatrix(picture->colorspace))
        fail(path + ": its colour matrix (" + av_color_space_name(picture->colorspace) +
             ") is not one the effect converts (BT.601, BT.709, BT.2020 with non-constant luminance)");
    clip.info.frameCount = static_cast<std::int64_t>(std::llround(seconds * av_q2d(fps)));
    if (clip.info.frameCount <= 0) fail("--duration is shorter than one frame at that --fps");
    clip.video = std::make_unique<StillVideoSource>(std::move(picture), clip.info.frameCount);
    return clip;
}

}  // namespace mv
