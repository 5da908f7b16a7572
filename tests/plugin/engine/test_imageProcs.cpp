#include "engine/imageProcs.h"

#include <gtest/gtest.h>

#include "TestFrames.h"
#include "engine/CGglue.h"

namespace {

using enginetest::ExpectRect;
using enginetest::Frame;
using enginetest::R;

TEST(AllocateRectGWorld, MovesTheRectangleToTheOriginAndLocks) {
    GWorldPtr gw = AllocateRectGWorld(R(10, 20, 110, 220));
    ASSERT_NE(gw, nullptr);
    ExpectRect(GetPortRect(gw), R(0, 0, 100, 200));
    EXPECT_NE(GetPixelsState(GetGWorldPixMap(gw)) & pixelsLocked, 0u);
    DisposeGWorld(gw);
}

TEST(AllocateRectGWorld, GivesNoneWhenTheWorldCannotBeMade) {
    EXPECT_EQ(AllocateRectGWorld(R(0, 10, 10, 0)), nullptr);
    LockGWorld(nullptr);  // nothing to lock, nothing to crash
}

TEST(GWorld2CGImage, CopiesTheWholeBufferOnce) {
    Frame f(7, 5);
    f.FillOpaque(1);
    const std::uint32_t before = f.Checksum();
    CGImageRef image = GWorld2CGImage(f.gw);
    ASSERT_NE(image, nullptr);
    SInt32 wid = 0, hig = 0;
    GetImageDims(image, wid, hig);
    EXPECT_EQ(wid, 7);
    EXPECT_EQ(hig, 5);
    f.FillOpaque(2);  // later changes to the buffer do not reach the image
    Frame back(7, 5);
    back.Fill(0);
    DrawCGImageInQDRect(back.gw, image, GetPortRect(back.gw), 0.0f, false);
    EXPECT_EQ(back.Checksum(), before);
    CGImageRelease(image);
}

TEST(CalcProportionalImageForFrame, UsesTheImagesSize) {
    Frame f(1000, 500);
    f.Fill(255);
    CGImageRef image = GWorld2CGImage(f.gw);
    ExpectRect(CalcProportionalImageForFrame(image, R(0, 0, 480, 640)), R(0, 0, 320, 640));
    CGImageRelease(image);
}

}  // namespace
