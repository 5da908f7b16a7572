// One checksum per frame of a short course, recorded from a run whose every
// frame matched the plain rendition; any change to a pixel shows here.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "TestFrames.h"
#include "config/DataHandling.h"
#include "engine/callPixelFX.h"
#include "engine/imageProcs.h"

namespace {

using enginetest::ExpectZoomedFrame;
using enginetest::Frame;

constexpr int kMaxFrame = 11;

constexpr std::array<std::uint32_t, kMaxFrame + 1> kGolden = {
    4169178262u, 1347237036u, 3889886541u, 1632729110u, 1632729110u, 1632729110u,
    1632729110u, 1632729110u, 2392496002u, 3544195671u, 4211559163u, 4169178262u,
};

TEST(FrameCourse, EveryFrameMatchesItsChecksumAndTheReference) {
    Frame src(97, 61), dst(97, 61);
    src.FillOpaque(2026);
    pluginDataRec config{};
    ResetConfig(&config, true);
    config.startRel = {0.2, 0.7, 0.1, 0.6};
    config.sliders[0] = 60;  // in over 3 frames
    config.sliders[1] = 80;  // out over 4
    config.sliders[2] = 30;
    for (int frame = 0; frame <= kMaxFrame; ++frame) {
        dst.Fill(0);
        DoPascalPixelEffect(src.gw, dst.gw, &config, frame, kMaxFrame);
        ExpectZoomedFrame(src, dst, CalcTweenRect(&config, GetPortRect(dst.gw), frame, kMaxFrame), 30);
        EXPECT_EQ(dst.Checksum(), kGolden[std::size_t(frame)]) << "frame " << frame;
    }
}

}  // namespace
