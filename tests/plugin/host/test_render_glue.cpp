// The dialog's frame fetch, built from its own unit: it lives inside the
// bundle and is not one of the bundle's entry points.
#include "host/iMovieGlue.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_render_host.h"

namespace rendertest {
namespace {

struct GlueHost {
    std::vector<GetFrameCall> fetches;
    int releases = 0;
    HYPluginResult getResult = kPluginOK;
    HYPluginResult releaseResult = kPluginOK;
    bool deliver = true;
    GWorldPtr lent = nullptr;
};
GlueHost gGlue;

HYPluginResult GlueGetFrame(void*, SInt32 frame, GWorldPtr* theGW, SInt16 width, SInt16 height,
                            HYRefDVQuality quality, SInt16*, void** cookie) {
    gGlue.fetches.push_back({frame, width, height, quality});
    if (gGlue.deliver) {
        // Half the asked size, so the copy into the dialog's image must scale.
        gGlue.lent = MakeWorld(width / 2, height / 2);
        FillWorld(gGlue.lent, 0xFF102030u);
        *theGW = gGlue.lent;
        *cookie = gGlue.lent;
    }
    return gGlue.getResult;
}

HYPluginResult GlueReleaseFrame(void*, void* cookie) {
    ++gGlue.releases;
    DisposeGWorld(static_cast<GWorldPtr>(cookie));
    return gGlue.releaseResult;
}

class GetFrameIntoGWTest : public ::testing::Test {
protected:
    void SetUp() override {
        gGlue = GlueHost{};
        procs.GetFrame = GlueGetFrame;
        procs.ReleaseFrame = GlueReleaseFrame;
        params.procs = &procs;
        params.startFrame = 20;
        target = MakeWorld(40, 30);
        FillWorld(target, 0);
    }
    void TearDown() override { DisposeGWorld(target); }

    HYProcs procs{};
    HYPluginParams params{};
    GWorldPtr target = nullptr;
};

TEST_F(GetFrameIntoGWTest, NegativeIndexAsksTheHostNothing) {
    EXPECT_EQ(GetFrameIntoGW(target, &params, -21, 1), -1);
    EXPECT_TRUE(gGlue.fetches.empty());
    EXPECT_EQ(gGlue.releases, 0);
}

TEST_F(GetFrameIntoGWTest, CopiesTheFrameScaledAndGivesItBack) {
    gGlue.releaseResult = kPluginTryAgainLater;
    EXPECT_EQ(GetFrameIntoGW(target, &params, 3, 1), kPluginTryAgainLater);
    ASSERT_EQ(gGlue.fetches.size(), 1u);
    EXPECT_EQ(gGlue.fetches[0].frame, 23);
    EXPECT_EQ(gGlue.fetches[0].width, 40);
    EXPECT_EQ(gGlue.fetches[0].height, 30);
    EXPECT_EQ(gGlue.fetches[0].quality, kDVHighQuality);
    EXPECT_EQ(gGlue.releases, 1);
    for (auto px : ReadWorld(target).px) ASSERT_EQ(px, 0xFF102030u);
}

TEST_F(GetFrameIntoGWTest, NoFrameMeansNoReleaseAndTheHostsResult) {
    gGlue.deliver = false;
    gGlue.getResult = kPluginCantGetNeededFrame;
    EXPECT_EQ(GetFrameIntoGW(target, &params, 0, 1), kPluginCantGetNeededFrame);
    EXPECT_EQ(gGlue.releases, 0);
    for (auto px : ReadWorld(target).px) ASSERT_EQ(px, 0u);
}

}  // namespace
}  // namespace rendertest
