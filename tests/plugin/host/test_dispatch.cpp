// main as a host meets it: the checks on the block, the first-call
// initialisation and the dispatch on the selector.
#include "BundleCopy.h"

#include "config/PluginDefines.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace bundletest;

namespace {

class DispatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", prefs_.path().c_str(), 1);
        procs_ = MakeHostProcs();
    }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

    int Call(HYPluginSelector selector, SInt16 interfaceVersion = 4)
    {
        HYPluginParams params = MakeParams(&procs_, selector, interfaceVersion);
        return bundle_.Main()(0, &params);
    }
    bool SettingsFileExists() const { return fs::exists(prefs_.path() / "kwtrp-Prefs"); }

    TempDir prefs_{"mvprefs"};
    BundleCopy bundle_;
    HYProcs procs_{};
};

bool FailedExit(int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; }

TEST_F(DispatchTest, NullBlockIsRefused)
{
    EXPECT_EQ(bundle_.Main()(0, nullptr), kPluginBadParams);
}

TEST_F(DispatchTest, OldInterfaceIsRefusedBeforeAnythingIsMade)
{
    EXPECT_EQ(Call(kPlugGetInfo, 3), kPluginAppIsTooOld);
    EXPECT_EQ(Call(kPlugGetInfo, -1), kPluginAppIsTooOld);
    EXPECT_EQ(Counters().newPtrClearCalls, 0);
    EXPECT_FALSE(SettingsFileExists());

    EXPECT_EQ(Call(kPlugDrawIcon, 4), kPluginOK);
    EXPECT_EQ(Counters().newPtrClearCalls, 1);
}

TEST_F(DispatchTest, BlockWithoutCallbackTableIsRefusedBeforeAnythingIsMade)
{
    HYPluginParams params = MakeParams(nullptr, kPlugGetInfo);
    EXPECT_EQ(bundle_.Main()(0, &params), kPluginBadParams);
    EXPECT_FALSE(SettingsFileExists());

    HYProcs noAllocator = procs_;
    noAllocator.NewPtrClear = nullptr;
    params.procs = &noAllocator;
    EXPECT_EQ(bundle_.Main()(0, &params), kPluginBadParams);
    EXPECT_FALSE(SettingsFileExists());

    // Nothing was initialised: a sound block still starts the plug-in.
    EXPECT_EQ(Call(kPlugDrawIcon), kPluginOK);
    EXPECT_EQ(Counters().newPtrClearCalls, 1);
    EXPECT_TRUE(SettingsFileExists());
}

class IgnoredSelectorTest : public DispatchTest,
                            public testing::WithParamInterface<HYPluginSelector> {};

TEST_P(IgnoredSelectorTest, AnswersOkButTheFirstCallStillInitialises)
{
    EXPECT_EQ(Call(GetParam()), kPluginOK);
    EXPECT_EQ(Counters().newPtrClearCalls, 1);
    EXPECT_EQ(Counters().lastSize, sizeof(pluginDataRec));
    EXPECT_TRUE(SettingsFileExists());

    // The working record is made once and kept.
    EXPECT_EQ(Call(GetParam()), kPluginOK);
    EXPECT_EQ(Counters().newPtrClearCalls, 1);
    EXPECT_EQ(Counters().disposePtrCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(Selectors, IgnoredSelectorTest,
                         testing::Values(HYPluginSelector{0}, kPlugDrawIcon, kPlugDrawThumbNail,
                                         kPlugCallOnceWithInitAndTerminate, HYPluginSelector{10},
                                         HYPluginSelector{255}));

// A host without frames gets no dialog: bad parameters where the build has a
// dialog, unimplemented where it has none.
TEST_F(DispatchTest, CustomButtonWithoutFramesOpensNoDialog)
{
#ifdef MV_WITH_DIALOG
    EXPECT_EQ(Call(kPlugCustomButtonClick), kPluginBadParams);
#else
    EXPECT_EQ(Call(kPlugCustomButtonClick), kPluginUnimplemented);
#endif
}

using DispatchDeathTest = DispatchTest;

TEST_F(DispatchDeathTest, WorkingRecordThatCannotBeMadeStopsThePlugIn)
{
    Counters().failNewPtrClear = true;
    EXPECT_EXIT(Call(kPlugGetInfo), FailedExit, "Unable to allocate new data structure");
}

} // namespace
