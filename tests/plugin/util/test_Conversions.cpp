#include "util/ColorPacking.h"
#include "util/PascalStrings.h"
#include "util/TextConversions.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string TextOf(ConstStr255Param p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

TEST(Num2Text, DecimalWithoutGrouping) {
    const struct {
        SInt32 n;
        const char* text;
    } cases[] = {{0, "0"},   {7, "7"},           {-1, "-1"},         {12, "12"},
                 {-43, "-43"}, {1234567, "1234567"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}};
    for (const auto& c : cases) {
        Str255 text;
        Num2Text(c.n, text);
        EXPECT_EQ(TextOf(text), c.text);
    }
}

TEST(MakeCFString, TakesMacRomanCharacters) {
    const unsigned char text[] = {5, 'C', 'a', 'f', 0x8E, 0xA5};
    CFStringRef s = MakeCFString(text);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(CFStringGetLength(s), 5);
    char utf8[32];
    ASSERT_TRUE(CFStringGetCString(s, utf8, sizeof utf8, kCFStringEncodingUTF8));
    EXPECT_STREQ(utf8, "Caf\u00E9\u2022");
    CFRelease(s);
}

TEST(PascalStrings, ConcatenationIsCutAt255) {
    Str255 text;
    CopyCToPString(std::string(250, 'a').c_str(), text);
    EXPECT_EQ(text[0], 250);
    PStrCatC(text, "bcdefgh");
    EXPECT_EQ(TextOf(text), std::string(250, 'a') + "bcdef");
    PStrCatC(text, "more");
    EXPECT_EQ(text[0], 255);
    Str255 small;
    CopyCToPString("ab", small);
    PStrCat(small, text);
    EXPECT_EQ(TextOf(small), "ab" + std::string(250, 'a') + "bcd");
    CopyCToPString(nullptr, small);
    EXPECT_EQ(small[0], 0);
    char c[256];
    CopyPToCString(text, c);
    EXPECT_EQ(std::string(c), TextOf(text));
}

TEST(ColorPacking, RGBColorKeepsTheHighBytes) {
    EXPECT_EQ(RGBColor2LongInt(RGBColor{65535, 32768, 255}), 0xFF8000);
    EXPECT_EQ(RGBColor2LongInt(RGBColor{0, 0, 0}), 0);
    EXPECT_EQ(RGBColor2LongInt(RGBColor{256, 511, 65280}), 0x0101FF);
}

TEST(ColorPacking, WhiteComesBackAs65280) {
    const RGBColor white = LongInt2RGBColor(0xFFFFFF);
    EXPECT_EQ(white.red, 65280);
    EXPECT_EQ(white.green, 65280);
    EXPECT_EQ(white.blue, 65280);
    const RGBColor c = LongInt2RGBColor(static_cast<SInt32>(0xAB123456u));
    EXPECT_EQ(c.red, 0x1200);
    EXPECT_EQ(c.green, 0x3400);
    EXPECT_EQ(c.blue, 0x5600);
}

TEST(ColorPacking, PixRecIgnoresTheTopByteAndAlpha) {
    const pixRec p = LongInt2PixRec(0x7F123456);
    EXPECT_EQ(p.alpha, 0);
    EXPECT_EQ(p.red, 0x12);
    EXPECT_EQ(p.green, 0x34);
    EXPECT_EQ(p.blue, 0x56);
    EXPECT_EQ(LongInt2PixRec(static_cast<SInt32>(0xFF000001u)).red, 0);
    EXPECT_EQ(PixRec2LongInt(pixRec{0xEE, 0x12, 0x34, 0x56}), 0x123456);
    EXPECT_EQ(PixRec2LongInt(pixRec{0, 255, 255, 255}), 0xFFFFFF);
    for (SInt32 packed : {0, 0x010203, 0xFFFFFF, 0x808080})
        EXPECT_EQ(PixRec2LongInt(LongInt2PixRec(packed)), packed);
}

}  // namespace
