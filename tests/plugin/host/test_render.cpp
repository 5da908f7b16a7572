// The render run through the built bundle: fades, fetch quality, sound,
// result codes and the pixels a frame ends up with.
#include <gtest/gtest.h>

#include <cstdint>

#include "config/DataHandling.h"
#include "engine/callPixelFX.h"
#include "test_render_host.h"

namespace rendertest {
namespace {

constexpr std::uint32_t kUntouched = 0xFF123456u;

// The frame the effect should produce: the course's crop of host frame
// `frame`, scaled to width x height by nearest pixel centres.
Image ReferenceFrame(int width, int height, SInt32 hostFrame, SInt32 renderFrame, SInt32 frameCount) {
    const Course& c = StartCourse();
    pluginDataRec config{};
    ResetConfig(&config, true);
    config.startRel = relRect{c.left, c.right, c.top, c.bottom};
    config.sliders[0] = c.zoomIn;
    config.sliders[1] = c.zoomOut;
    const Rect whole{0, 0, static_cast<SInt16>(height), static_cast<SInt16>(width)};
    const Rect crop = CalcTweenRect(&config, whole, renderFrame, frameCount);
    const std::int64_t cw = crop.right - crop.left;
    const std::int64_t ch = crop.bottom - crop.top;
    Image img{width, height, std::vector<std::uint32_t>(static_cast<size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        const int sy = crop.top + static_cast<int>((2 * y + 1) * ch / (2 * height));
        for (int x = 0; x < width; ++x) {
            const int sx = crop.left + static_cast<int>((2 * x + 1) * cw / (2 * width));
            img.px[static_cast<size_t>(y) * width + x] = SourcePixel(sx, sy, hostFrame);
        }
    }
    return img;
}

std::uint32_t Blend(std::uint32_t s, std::uint32_t d, int opacity) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int sc = (s >> shift) & 0xFF;
        const int dc = (d >> shift) & 0xFF;
        out |= std::uint32_t((sc * opacity + dc * (255 - opacity) + 127) / 255) << shift;
    }
    return out;
}

// Counts pixels of the output's frameRect that differ from `want`, and
// pixels outside it that are no longer the untouched colour.
struct Diff {
    int inside = 0;
    int outside = 0;
};
Diff Compare(const Image& out, const Rect& frameRect, const Image& want) {
    Diff d;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const bool in = x >= frameRect.left && x < frameRect.right && y >= frameRect.top && y < frameRect.bottom;
            if (in)
                d.inside += out.At(x, y) != want.At(x - frameRect.left, y - frameRect.top);
            else
                d.outside += out.At(x, y) != kUntouched;
        }
    }
    return d;
}

bool Untouched(const Image& img) {
    for (auto px : img.px)
        if (px != kUntouched) return false;
    return true;
}

struct FadeCase {
    SInt32 fadeIn, fadeOut, frameCount, renderFrame;
    int opacity;  // -1: the frame does not fade
};

class FadeOpacity : public ::testing::TestWithParam<FadeCase> {};

TEST_P(FadeOpacity, BlitsTheUntouchedFrameAtTheFadesOpacity) {
    const FadeCase fc = GetParam();
    TestHost host;
    host.SetClip(0, fc.frameCount);
    host.script().filterInfo.fadeInFrames = fc.fadeIn;
    host.script().filterInfo.fadeOutFrames = fc.fadeOut;
    ASSERT_EQ(host.RenderOne(fc.renderFrame), kPluginOK);
    if (fc.opacity < 0) {
        EXPECT_TRUE(host.script().blits.empty());
    } else {
        ASSERT_EQ(host.script().blits.size(), 1u);
        EXPECT_EQ(host.script().blits[0].opacity, fc.opacity);
    }
    EXPECT_EQ(host.script().liveBlocks, 0);
}

INSTANTIATE_TEST_SUITE_P(
    RenderRun, FadeOpacity,
    ::testing::Values(
        // Fade-in of 10: only the untouched frame at 0, gone at 10.
        FadeCase{10, 0, 100, 0, 255}, FadeCase{10, 0, 100, 5, 127}, FadeCase{10, 0, 100, 9, 25},
        FadeCase{10, 0, 100, 10, -1},
        // Fade-out of 10 on 100 frames: the last frame is not wholly untouched.
        FadeCase{0, 10, 100, 90, -1}, FadeCase{0, 10, 100, 91, 25}, FadeCase{0, 10, 100, 99, 229},
        // No fades: nothing is blitted anywhere.
        FadeCase{0, 0, 100, 0, -1}, FadeCase{0, 0, 100, 99, -1},
        // 60 and 70 on 100 frames become 50 and 50.
        FadeCase{60, 70, 100, 25, 127}, FadeCase{60, 70, 100, 50, -1}, FadeCase{60, 70, 100, 75, 127},
        // A lone fade of 150 on 100 frames becomes 100.
        FadeCase{150, 0, 100, 50, 127}, FadeCase{0, 150, 100, 50, 127},
        // Frames past the clip's end stay on the scale rather than overflow it.
        FadeCase{10, 0, 100, 120, 255}, FadeCase{0, 10, 100, 120, 255}));

struct QualityCase {
    bool proxy;
    int height;
    HYRefDVQuality quality;
};

class FetchQuality : public ::testing::TestWithParam<QualityCase> {};

TEST_P(FetchQuality, SmallProxyFramesAreFetchedFast) {
    const QualityCase qc = GetParam();
    TestHost host;
    host.SetOutput(6, qc.height);
    host.SetClip(0, 10, qc.proxy);
    ASSERT_EQ(host.RenderOne(3), kPluginOK);
    ASSERT_EQ(host.script().getFrames.size(), 1u);
    EXPECT_EQ(host.script().getFrames[0].quality, qc.quality);
    EXPECT_EQ(host.script().getFrames[0].width, 6);
    EXPECT_EQ(host.script().getFrames[0].height, qc.height);
}

INSTANTIATE_TEST_SUITE_P(RenderRun, FetchQuality,
                         ::testing::Values(QualityCase{true, 259, kDVLowQuality},
                                           QualityCase{true, 260, kDVHighQuality},
                                           QualityCase{false, 259, kDVHighQuality},
                                           QualityCase{false, 100, kDVHighQuality}));

TEST(RenderRun, SoundIsMixedAtFullLevelExceptOnProxies) {
    TestHost host;
    host.script().filterInfo.fadeInFrames = 10;
    for (SInt32 r : {2, 50}) {
        host.SetClip(0, 100, false);
        host.script().mixCalls = 0;
        ASSERT_EQ(host.RenderOne(r), kPluginOK);
        EXPECT_EQ(host.script().mixCalls, 1) << "frame " << r;
        EXPECT_EQ(host.script().mixLevel, 256);

        host.SetClip(0, 100, true);
        host.script().mixCalls = 0;
        ASSERT_EQ(host.RenderOne(r), kPluginOK);
        EXPECT_EQ(host.script().mixCalls, 0) << "proxy frame " << r;
    }
}

TEST(RenderRun, FrameBeforeTheClipIsNotFetchedButStillReleased) {
    TestHost host;
    host.SetClip(-5, 100);
    GWorldPtr marker = MakeWorld(2, 2);
    SetGWorld(marker, nullptr);
    ASSERT_EQ(host.Call(kPlugInitialize), kPluginOK);
    host.params().renderFrame = 2;
    host.script().releaseResult = kPluginTryAgainLater;
    EXPECT_EQ(host.Call(kPlugDoFrame), kPluginTryAgainLater);
    EXPECT_TRUE(host.script().getFrames.empty());
    ASSERT_EQ(host.script().releases.size(), 1u);
    EXPECT_EQ(host.script().releases[0], nullptr);
    CGrafPtr port = nullptr;
    GDHandle device = nullptr;
    GetGWorld(&port, &device);
    EXPECT_EQ(port, marker);

    host.script().releaseResult = kPluginOK;
    EXPECT_EQ(host.Call(kPlugDoFrame), kPluginOK);
    EXPECT_TRUE(Untouched(ReadWorld(host.output())));
    SetGWorld(nullptr, nullptr);
    DisposeGWorld(marker);
}

TEST(RenderRun, FrameWithoutARunIsRefused) {
    TestHost host;
    EXPECT_EQ(host.Call(kPlugDoFrame), kPluginBadParams);
    EXPECT_TRUE(host.script().getFrames.empty());
    EXPECT_TRUE(host.script().releases.empty());
}

TEST(RenderRun, HostResultsArePassedOn) {
    struct Case {
        HYPluginResult getFrame, blit, mix, release, want;
        SInt32 fadeIn;
    };
    const Case cases[] = {
        {kPluginCantGetNeededFrame, kPluginOK, kPluginOK, kPluginFailed, kPluginCantGetNeededFrame, 0},
        {kPluginOK, kPluginOK, kPluginOutOfDiskSpace, kPluginOK, kPluginOutOfDiskSpace, 0},
        {kPluginOK, kPluginOK, kPluginOK, kPluginTryAgainLater, kPluginTryAgainLater, 0},
        {kPluginOK, kPluginOK, kPluginOutOfDiskSpace, kPluginTryAgainLater, kPluginOutOfDiskSpace, 0},
        // On a fading frame Blit's result stands, and a failed Blit mixes no sound.
        {kPluginOK, kPluginFailed, kPluginOK, kPluginTryAgainLater, kPluginFailed, 10},
    };
    for (const Case& c : cases) {
        TestHost host;
        HostScript& s = host.script();
        s.getFrameResult = c.getFrame;
        s.blitResult = c.blit;
        s.mixResult = c.mix;
        s.releaseResult = c.release;
        s.filterInfo.fadeInFrames = c.fadeIn;
        EXPECT_EQ(host.RenderOne(5), c.want);
        EXPECT_EQ(s.releases.size(), 1u);
        if (c.blit != kPluginOK) {
            EXPECT_EQ(s.mixCalls, 0);
        }
        EXPECT_EQ(s.liveBlocks, 0);
    }
}

TEST(RenderRun, FailedFetchLeavesTheOutputUntouched) {
    TestHost host;
    host.script().getFrameResult = kPluginCantGetNeededFrame;
    EXPECT_EQ(host.RenderOne(5), kPluginCantGetNeededFrame);
    EXPECT_TRUE(Untouched(ReadWorld(host.output())));
    EXPECT_EQ(host.script().releases.at(0), nullptr);
}

// An inverted output area leaves the fade image nothing to be made of.
TEST(RenderRun, FadeImageThatCannotBeMadeFailsAfterTheRelease) {
    TestHost host;
    GWorldPtr source = MakeWorld(10, 20);
    host.script().preparedFrame = source;
    host.script().filterInfo.fadeInFrames = 10;
    host.params().frameRect = Rect{0, 10, 20, 5};
    EXPECT_EQ(host.RenderOne(5), kPluginFailed);
    EXPECT_EQ(host.script().releases.size(), 1u);
    EXPECT_TRUE(host.script().blits.empty());
    EXPECT_EQ(host.script().mixCalls, 0);
    host.script().releaseResult = kPluginTryAgainLater;
    EXPECT_EQ(host.RenderOne(5), kPluginTryAgainLater);
    DisposeGWorld(source);
}

TEST(RenderRun, RunBlockOrConfigurationCopyWithoutMemory) {
    for (int failing : {1, 2}) {
        TestHost host;
        host.script().failNewPtrClearCall = failing;
        EXPECT_EQ(host.Call(kPlugInitialize), kPluginOutOfMemory) << "allocation " << failing;
        EXPECT_EQ(host.params().clientData, nullptr);
        EXPECT_EQ(host.script().liveBlocks, 0);
        EXPECT_EQ(host.Call(kPlugDoFrame), kPluginBadParams);
    }
}

TEST(RenderRun, SecondInitialiseReusesTheBlockAndKeepsFadesWithoutARecord) {
    TestHost host;
    host.script().filterInfo.fadeInFrames = 10;
    ASSERT_EQ(host.Call(kPlugInitialize), kPluginOK);
    void* block = host.params().clientData;
    EXPECT_EQ(host.script().liveBlocks, 2);
    host.script().deliverFilterInfo = false;
    ASSERT_EQ(host.Call(kPlugInitialize), kPluginOK);
    EXPECT_EQ(host.params().clientData, block);
    EXPECT_EQ(host.script().liveBlocks, 2);
    host.params().renderFrame = 5;
    ASSERT_EQ(host.Call(kPlugDoFrame), kPluginOK);
    ASSERT_EQ(host.script().blits.size(), 1u);
    EXPECT_EQ(host.script().blits[0].opacity, 127);
    EXPECT_EQ(host.Call(kPlugTerminate), kPluginOK);
    EXPECT_EQ(host.params().clientData, nullptr);
    EXPECT_EQ(host.script().liveBlocks, 0);
    EXPECT_EQ(host.script().filterReleases, 1);
}

TEST(RenderRun, FilterInfoFailureIsReturnedAndTheRunStillOpens) {
    TestHost host;
    host.script().filterInfoResult = kPluginTryAgainLater;
    EXPECT_EQ(host.Call(kPlugInitialize), kPluginTryAgainLater);
    EXPECT_NE(host.params().clientData, nullptr);
    EXPECT_EQ(host.script().filterReleases, 1);
}

TEST(RenderPixels, HoldFrameIsTheCropScaledIntoFrameRect) {
    TestHost host;
    host.SetOutput(40, 30, 3, 2);
    host.SetClip(7, 100);
    ASSERT_EQ(host.RenderOne(50), kPluginOK);
    ASSERT_EQ(host.script().getFrames.at(0).frame, 57);
    const Diff d = Compare(ReadWorld(host.output()), host.params().frameRect, ReferenceFrame(40, 30, 57, 50, 100));
    EXPECT_EQ(d.inside, 0);
    EXPECT_EQ(d.outside, 0);
}

TEST(RenderPixels, ZoomingFrameFollowsTheCourse) {
    TestHost host;
    host.SetOutput(64, 48);
    ASSERT_EQ(host.RenderOne(2), kPluginOK);
    const Diff d = Compare(ReadWorld(host.output()), host.params().frameRect, ReferenceFrame(64, 48, 2, 2, 100));
    EXPECT_EQ(d.inside, 0);
}

TEST(RenderPixels, FadingFrameMixesTheUntouchedSourceOverTheRender) {
    TestHost host;
    host.SetOutput(33, 21, 1, 4);
    host.script().filterInfo.fadeInFrames = 10;
    ASSERT_EQ(host.RenderOne(5), kPluginOK);
    Image want = ReferenceFrame(33, 21, 5, 5, 100);
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            want.px[static_cast<size_t>(y) * want.width + x] = Blend(SourcePixel(x, y, 5), want.At(x, y), 127);
    const Diff d = Compare(ReadWorld(host.output()), host.params().frameRect, want);
    EXPECT_EQ(d.inside, 0);
    EXPECT_EQ(d.outside, 0);
    const BlitCall& b = host.script().blits.at(0);
    EXPECT_EQ(b.srcRect.left, 0);
    EXPECT_EQ(b.srcRect.right, 33);
    EXPECT_EQ(b.dstRect.top, 4);
    EXPECT_EQ(b.dstRect.right, 34);
}

TEST(Placeholder, RendersTheBestThumbFrameInARunOfItsOwn) {
    TestHost host;
    host.SetClip(10, 100);
    host.params().getInfo.bestThumbOffset = 42;
    host.params().renderFrame = 3;
    EXPECT_EQ(host.Call(kPlugFilePlaceHolder), kPluginOK);
    ASSERT_EQ(host.script().getFrames.size(), 1u);
    EXPECT_EQ(host.script().getFrames[0].frame, 52);
    EXPECT_EQ(host.params().renderFrame, 3);
    EXPECT_EQ(host.params().clientData, nullptr);
    EXPECT_EQ(host.script().liveBlocks, 0);
    EXPECT_EQ(Compare(ReadWorld(host.output()), host.params().frameRect, ReferenceFrame(64, 48, 52, 42, 100)).inside,
              0);
}

TEST(Placeholder, FailedStartRendersNothingAndReturnsTheFailure) {
    TestHost host;
    host.script().filterInfoResult = kPluginTryAgainLater;
    EXPECT_EQ(host.Call(kPlugFilePlaceHolder), kPluginTryAgainLater);
    EXPECT_TRUE(host.script().getFrames.empty());
    EXPECT_TRUE(host.script().releases.empty());
    EXPECT_EQ(host.script().liveBlocks, 0);

    host.script().filterInfoResult = kPluginOK;
    host.script().failNewPtrClearCall = host.script().newPtrClearCalls + 1;
    EXPECT_EQ(host.Call(kPlugFilePlaceHolder), kPluginOutOfMemory);
    EXPECT_TRUE(host.script().getFrames.empty());
}

TEST(Placeholder, FrameFailureIsReported) {
    TestHost host;
    host.script().getFrameResult = kPluginCantGetNeededFrame;
    EXPECT_EQ(host.Call(kPlugFilePlaceHolder), kPluginCantGetNeededFrame);
    EXPECT_EQ(host.script().getFrames.size(), 1u);
    EXPECT_EQ(host.script().liveBlocks, 0);
}

TEST(Placeholder, LeavesAnOpenRunOfTheHostAlone) {
    TestHost host;
    host.script().filterInfo.fadeInFrames = 10;
    ASSERT_EQ(host.Call(kPlugInitialize), kPluginOK);
    void* block = host.params().clientData;
    EXPECT_EQ(host.Call(kPlugFilePlaceHolder), kPluginOK);
    EXPECT_EQ(host.params().clientData, block);
    EXPECT_EQ(host.script().liveBlocks, 2);
    host.params().renderFrame = 5;
    EXPECT_EQ(host.Call(kPlugDoFrame), kPluginOK);
}

}  // namespace
}  // namespace rendertest
