// What kPlugGetInfo tells the host about the plug-in.
#include "BundleCopy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

using namespace bundletest;

namespace {

const char* const kSliderLabels[] = {
    "Unused slider 1 - no effect on the picture; use the Configure button",
    "Unused slider 2 - no effect on the picture; use the Configure button",
    "Unused slider 3 - no effect on the picture; use the Configure button",
};

class DescriptionTest : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", prefs_.path().c_str(), 1);
        procs_ = MakeHostProcs();
    }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

    // A block as the host fills it, with stale texts the plug-in must replace.
    HYPluginParams HostBlock()
    {
        HYPluginParams params = MakeParams(&procs_, kPlugGetInfo);
        params.getInfo.pluginFlags = 0x0001'0041;
        params.getInfo.framesToBeRendered = 9;
        params.getInfo.takeFromClipBefore = 9;
        params.getInfo.minSpeedFrames = 9;
        params.getInfo.maxSpeedFrames = 9;
        params.getInfo.mustTakeFromSingleClips = true;
        params.getInfo2.selectedFrames = 75;
        std::memset(params.getInfo2.group, 'x', sizeof params.getInfo2.group);
        std::memset(params.getInfo3.buttonTitle, 'x', sizeof params.getInfo3.buttonTitle);
        return params;
    }

    TempDir prefs_{"mvprefs"};
    HYProcs procs_{};
};

void ExpectDescription(const HYPluginParams& params)
{
    EXPECT_EQ(params.getInfo.pluginType, kPluginFilterType);
    EXPECT_EQ(params.getInfo.pluginFlags, 0x0001'0041u | 0x380u | 0x1000u);
    EXPECT_EQ(params.getInfo.framesToBeRendered, 75);
    EXPECT_EQ(params.getInfo.takeFromClipBefore, 0);
    EXPECT_EQ(params.getInfo.takeFromClipAfter, 75);
    EXPECT_EQ(params.getInfo.minSpeedFrames, 0);
    EXPECT_EQ(params.getInfo.maxSpeedFrames, 0);
    EXPECT_FALSE(params.getInfo.mustTakeFromSingleClips);
    EXPECT_EQ(params.getInfo2.baseMemoryNeeded, 50000);
    for (int i = 0; i < kHYFilterSliderCount; ++i) {
        const HYPluginFilterSliderInfo& slider = params.getInfo2.filterSliders[i];
        EXPECT_EQ(slider.defaultValue, 0.5f);
        EXPECT_STREQ(slider.label, kSliderLabels[i]);
        EXPECT_STREQ(slider.minLabel, "no effect");
        EXPECT_STREQ(slider.maxLabel, "no effect");
    }
    EXPECT_STREQ(params.getInfo3.buttonTitle, "Configure Morva Telle...");
    EXPECT_STREQ(params.getInfo2.group, "Zoom and Pan");
}

TEST_F(DescriptionTest, DescribesAFilterWithThreeUnusedSlidersAndItsButton)
{
    BundleCopy bundle;
    HYPluginParams params = HostBlock();
    ASSERT_EQ(bundle.Main()(0, &params), kPluginOK);
    ExpectDescription(params);
}

TEST_F(DescriptionTest, FindsItsTextsFromAFolderWithSpacesAndAccents)
{
    BundleCopy bundle("Vidéo Plug-ins ÄÖÜ – ünïcödé");
    HYPluginParams params = HostBlock();
    ASSERT_EQ(bundle.Main()(0, &params), kPluginOK);
    ExpectDescription(params);
}

TEST_F(DescriptionTest, EachCopyReadsItsOwnResources)
{
    BundleCopy first("first");
    BundleCopy second("second");
    std::FILE* group = std::fopen((second.path() / "Contents/Resources/strings/17000.txt").c_str(), "w");
    ASSERT_NE(group, nullptr);
    std::fputs("Second Group\n", group);
    std::fclose(group);

    HYPluginParams params = HostBlock();
    ASSERT_EQ(second.Main()(0, &params), kPluginOK);
    EXPECT_STREQ(params.getInfo2.group, "Second Group");
    ASSERT_EQ(first.Main()(0, &params), kPluginOK);
    EXPECT_STREQ(params.getInfo2.group, "Zoom and Pan");
}

TEST_F(DescriptionTest, TextsLongerThanTheirFieldsAreCut)
{
    BundleCopy bundle;
    std::FILE* title = std::fopen((bundle.path() / "Contents/Resources/strings/130.txt").c_str(), "w");
    ASSERT_NE(title, nullptr);
    std::fputs(std::string(200, 'b').c_str(), title);
    std::fclose(title);

    HYPluginParams params = HostBlock();
    ASSERT_EQ(bundle.Main()(0, &params), kPluginOK);
    EXPECT_EQ(std::string(params.getInfo3.buttonTitle), std::string(31, 'b'));
}

} // namespace
