// The configuration bridge, called through the bundle's exported entry points
// on blocks a host made with the platform Memory Manager.
#include "BundleCopy.h"

#include "config/DataHandling.h"
#include "config/PluginDefines.h"
#include "config/prefsloader.h"
#include "memory/MacMemory.h"
#include "quartz/CoreGraphics.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <utime.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;
using namespace bundletest;

namespace {

using BlockProc = void (*)(void*);
using CopyProc = void (*)(void*, void*);
using MediaProc = SInt16 (*)(void*);

bool FailedExit(int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; }

// A small opaque image whose pixels differ, made the way the effect makes its
// own; the caller owns the reference.
CGImageRef MakeImage(size_t width, size_t height, UInt8 seed)
{
    std::vector<UInt8> bytes(width * height * 4);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = i % 4 == 0 ? 0xFF : static_cast<UInt8>(seed + i * 37);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef context = CGBitmapContextCreate(bytes.data(), width, height, 8, width * 4, space,
                                                 kCGImageAlphaPremultipliedFirst);
    CGImageRef image = CGBitmapContextCreateImage(context);
    CGContextRelease(context);
    CGColorSpaceRelease(space);
    return image;
}

std::vector<UInt32> PixelsOf(CGImageRef image)
{
    const size_t width = CGImageGetWidth(image), height = CGImageGetHeight(image);
    std::vector<UInt32> pixels(width * height);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef context = CGBitmapContextCreate(pixels.data(), width, height, 8, width * 4, space,
                                                 kCGImageAlphaPremultipliedFirst);
    CGContextDrawImage(context, CGRectMake(0, 0, CGFloat(width), CGFloat(height)), image);
    CGContextRelease(context);
    CGColorSpaceRelease(space);
    return pixels;
}

void ExpectSameSettings(const pluginDataRec& actual, const pluginDataRec& expected)
{
    EXPECT_EQ(actual.startRel.left, expected.startRel.left);
    EXPECT_EQ(actual.startRel.right, expected.startRel.right);
    EXPECT_EQ(actual.startRel.top, expected.startRel.top);
    EXPECT_EQ(actual.startRel.bottom, expected.startRel.bottom);
    EXPECT_EQ(actual.endRel.left, expected.endRel.left);
    EXPECT_EQ(actual.endRel.bottom, expected.endRel.bottom);
    for (int i = 0; i < cNumSliders; ++i)
        EXPECT_EQ(actual.sliders[i], expected.sliders[i]) << "slider " << i + 1;
    for (int i = 0; i < cNumColors; ++i)
        EXPECT_EQ(actual.colors[i].green, expected.colors[i].green) << "colour " << i + 1;
    EXPECT_EQ(actual.mediaType, expected.mediaType);
    EXPECT_EQ(actual.sync, expected.sync);
    EXPECT_EQ(actual.outside, expected.outside);
    EXPECT_EQ(actual.clipActive, expected.clipActive);
    EXPECT_EQ(actual.keepProps, expected.keepProps);
}

class BridgeTest : public testing::Test {
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", prefs_.path().c_str(), 1); }
    void TearDown() override
    {
        for (Ptr block : blocks_)
            DisposePtr(block);
        unsetenv("XDG_CONFIG_HOME");
    }

    pluginDataPtr NewRecord(Size size = sizeof(pluginDataRec))
    {
        blocks_.push_back(NewPtrClear(size));
        return reinterpret_cast<pluginDataPtr>(blocks_.back());
    }
    fs::path SettingsFile() const { return prefs_.path() / "kwtrp-Prefs"; }
    template <typename F> F Entry(const char* name) const
    {
        F entry = bundle_.Function<F>(name);
        EXPECT_NE(entry, nullptr) << name;
        return entry;
    }

    TempDir prefs_{"mvprefs"};
    BundleCopy bundle_;
    std::vector<Ptr> blocks_;
};

TEST_F(BridgeTest, StartWithoutSettingsFileCreatesItWithTheDefaults)
{
    pluginDataPtr record = NewRecord();
    Entry<BlockProc>("InitMyPlugIn")(record);

    pluginDataRec defaults{};
    ResetConfig(&defaults, true);
    ExpectSameSettings(*record, defaults);
    ASSERT_TRUE(fs::exists(SettingsFile()));
    pluginDataRec saved{};
    ASSERT_TRUE(ReadConfig(&saved));
    ExpectSameSettings(saved, defaults);
}

TEST_F(BridgeTest, StartLoadsTheSavedSettingsAndWritesThemBack)
{
    pluginDataRec saved{};
    ResetConfig(&saved, true);
    saved.startRel = {0.125, 0.625, 0.25, 0.875};
    saved.sliders[0] = 40;
    saved.mediaType = cMediaPAL;
    saved.keepProps = !saved.keepProps;
    CreateConfigFile();
    ASSERT_TRUE(SaveConfig(&saved));
    const utimbuf longAgo{1'000'000'000, 1'000'000'000};
    ASSERT_EQ(utime(SettingsFile().c_str(), &longAgo), 0);

    pluginDataPtr record = NewRecord();
    Entry<BlockProc>("InitMyPlugIn")(record);

    ExpectSameSettings(*record, saved);
    struct stat written {};
    ASSERT_EQ(stat(SettingsFile().c_str(), &written), 0);
    EXPECT_GT(written.st_mtime, longAgo.modtime);
    pluginDataRec reread{};
    ASSERT_TRUE(ReadConfig(&reread));
    ExpectSameSettings(reread, saved);
}

TEST_F(BridgeTest, CopyOwnsItsRenderedImageAndDropsTheOriginal)
{
    pluginDataPtr source = NewRecord();
    ResetConfig(source, true);
    source->startRel = {0.1, 0.9, 0.2, 0.8};
    source->mediaType = cMediaHD;
    source->theRendered = MakeImage(7, 5, 1);
    CGImageRef original = MakeImage(3, 3, 2);
    source->theOriginalImage = original;
    const std::vector<UInt32> renderedPixels = PixelsOf(source->theRendered);
    pluginDataPtr dest = NewRecord();

    Entry<CopyProc>("pCopyConfig")(source, dest);

    ExpectSameSettings(*dest, *source);
    EXPECT_EQ(dest->theOriginalImage, nullptr);
    EXPECT_EQ(source->theOriginalImage, original);
    ASSERT_NE(dest->theRendered, nullptr);
    // The source's image goes with its record; the copy's stays whole
    // (images are immutable, so the copy may share the pixels).
    Entry<BlockProc>("pUncopyConfig")(source);
    EXPECT_EQ(CGImageGetWidth(dest->theRendered), 7u);
    EXPECT_EQ(CGImageGetHeight(dest->theRendered), 5u);
    EXPECT_EQ(PixelsOf(dest->theRendered), renderedPixels);
    Entry<BlockProc>("pUncopyConfig")(dest);
    CGImageRelease(original);
}

TEST_F(BridgeTest, CopyWithoutImagesLeavesNone)
{
    pluginDataPtr source = NewRecord();
    ResetConfig(source, true);
    pluginDataPtr dest = NewRecord();
    Entry<CopyProc>("pCopyConfig")(source, dest);
    EXPECT_EQ(dest->theRendered, nullptr);
    EXPECT_EQ(dest->theOriginalImage, nullptr);
    // Releasing a record without an image does nothing.
    Entry<BlockProc>("pUncopyConfig")(dest);
}

TEST_F(BridgeTest, CopyWithAMissingBlockDoesNothing)
{
    pluginDataPtr record = NewRecord();
    record->mediaType = cMediaPAL;
    const auto copy = Entry<CopyProc>("pCopyConfig");
    copy(nullptr, record);
    copy(record, nullptr);
    copy(nullptr, nullptr);
    EXPECT_EQ(record->mediaType, cMediaPAL);
}

TEST_F(BridgeTest, MediaFormatOfAMissingRecordIsNtsc)
{
    const auto mediaFormat = Entry<MediaProc>("GetMediaFormat");
    EXPECT_EQ(mediaFormat(nullptr), 1);
    pluginDataPtr record = NewRecord();
    record->mediaType = cMediaHD;
    EXPECT_EQ(mediaFormat(record), cMediaHD);
}

using BridgeDeathTest = BridgeTest;

TEST_F(BridgeDeathTest, CopyBetweenBlocksOfDifferentSizesStops)
{
    pluginDataPtr source = NewRecord();
    pluginDataPtr dest = NewRecord(sizeof(pluginDataRec) + 8);
    EXPECT_EXIT(Entry<CopyProc>("pCopyConfig")(source, dest), FailedExit,
                "Non-Matching Blocks.*The Size of Source and Dest do not match");
}

TEST_F(BridgeDeathTest, CopyBetweenBlocksTooSmallForARecordStops)
{
    pluginDataPtr source = NewRecord(16);
    pluginDataPtr dest = NewRecord(16);
    EXPECT_EXIT(Entry<CopyProc>("pCopyConfig")(source, dest), FailedExit,
                "Non-Matching Blocks.*too small");
}

TEST_F(BridgeDeathTest, MissingRecordsStopThePlugIn)
{
    EXPECT_EXIT(Entry<BlockProc>("InitMyPlugIn")(nullptr), FailedExit,
                "Unable to allocate new data structure");
    EXPECT_EXIT(Entry<BlockProc>("pUncopyConfig")(nullptr), FailedExit,
                "Nil data in pUncopyConfig");
}

} // namespace
