#include "config/DataHandling.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool SameRel(const relRect& a, const relRect& b) {
    return a.left == b.left && a.right == b.right && a.top == b.top && a.bottom == b.bottom;
}

bool SameColor(const RGBColor& a, const RGBColor& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

pluginDataRec Filled() {
    pluginDataRec r;
    std::memset(&r, 0x5A, sizeof r);
    return r;
}

CGImageRef FakeImage(uintptr_t n) { return reinterpret_cast<CGImageRef>(n); }

TEST(ResetConfig, WritesTheDefaults) {
    pluginDataRec r = Filled();
    r.mediaType = cMediaHD;
    ResetConfig(&r, true);
    const relRect whole{0, 1, 0, 1};
    EXPECT_TRUE(SameRel(r.startRel, whole));
    EXPECT_TRUE(SameRel(r.endRel, whole));
    const SInt16 sliders[cNumSliders] = {10, 50, 0, 0, 0, 0};
    for (int n = 0; n < cNumSliders; ++n) EXPECT_EQ(r.sliders[n], sliders[n]) << n;
    for (const RGBColor& c : r.colors) EXPECT_TRUE(SameColor(c, RGBColor{0, 0, 0}));
    EXPECT_TRUE(SameColor(r.frameStartColor, RGBColor{65535, 0, 0}));
    EXPECT_EQ(r.mediaType, 1);  // whatever the caller had
    EXPECT_FALSE(r.keepProps);
    EXPECT_FALSE(r.sync);
    EXPECT_TRUE(r.outside);
    EXPECT_FALSE(r.clipActive);
    EXPECT_EQ(r.theOriginalImage, nullptr);
    EXPECT_EQ(r.theRendered, nullptr);
}

TEST(ResetConfig, LeavesFrameEndColorAlone) {
    pluginDataRec zero{};
    ResetConfig(&zero, true);
    EXPECT_TRUE(SameColor(zero.frameEndColor, RGBColor{0, 0, 0}));
    pluginDataRec r = Filled();
    r.frameEndColor = RGBColor{1, 2, 3};
    ResetConfig(&r, false);
    EXPECT_TRUE(SameColor(r.frameEndColor, RGBColor{1, 2, 3}));
}

TEST(ResetConfig, ImageReferencesOnlyOnAFullReset) {
    pluginDataRec r = Filled();
    r.theOriginalImage = FakeImage(0x1000);
    r.theRendered = FakeImage(0x2000);
    ResetConfig(&r, false);
    EXPECT_EQ(r.theOriginalImage, FakeImage(0x1000));
    EXPECT_EQ(r.theRendered, FakeImage(0x2000));
    ResetConfig(&r, true);  // overwritten, never released: the fakes would crash a release
    EXPECT_EQ(r.theOriginalImage, nullptr);
    EXPECT_EQ(r.theRendered, nullptr);
}

TEST(CurrentRel, IsAlwaysTheStartRectangle) {
    pluginDataRec r{};
    ResetConfig(&r, true);
    r.endRel = relRect{0.1, 0.2, 0.3, 0.4};
    gConfigWorkSpace.theConfig = &r;
    for (SInt16 active : {1, 2}) {
        gConfigWorkSpace.activeRel = active;
        const relRect x{0.25, 0.5, -0.125, 1.5};
        PutCurrentRel(x);
        EXPECT_TRUE(SameRel(GetCurrentRel(), x));
        EXPECT_TRUE(SameRel(r.startRel, x));
        EXPECT_TRUE(SameRel(r.endRel, relRect{0.1, 0.2, 0.3, 0.4}));
    }
    gConfigWorkSpace.theConfig = nullptr;
}

TEST(PluginDefines, BuildConstants) {
    EXPECT_STREQ(cMyPluginName, "morvatelle");
    EXPECT_STREQ(cMyClearName, "Morva Telle");
    EXPECT_STREQ(cMyBundleID, "com.qrv.vidkitfx.morvatelle");
    EXPECT_STREQ(cProductCode, "kwtrp");
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    EXPECT_STREQ(cPlugVersion, "3.0.0 (i386 Universal)");
#endif
    EXPECT_EQ(cPlugVersionNum, 196608);
    if (sizeof(void*) == 4) {
        EXPECT_EQ(sizeof(pluginDataRec), 144u);
    }
}

}  // namespace
