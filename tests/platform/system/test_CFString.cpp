#include "system/CFString.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <string>

namespace {

std::string UTF8Of(CFStringRef s) {
    char buffer[1024];
    EXPECT_TRUE(CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8));
    return buffer;
}

CFStringRef FromByte(unsigned char byte) {
    const unsigned char pascal[2] = {1, byte};
    return CFStringCreateWithPascalString(kCFAllocatorDefault, pascal, kCFStringEncodingMacRoman);
}

// glibc's own table, where it has one, is an independent reference.
std::string IconvMacRoman(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", "MACINTOSH");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inp = in;
    char* outp = out;
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    return std::string(out, sizeof out - outLeft);
}

TEST(CFStringMacRoman, EveryByteRoundTrips) {
    for (int b = 1; b < 256; ++b) {
        CFStringRef s = FromByte(static_cast<unsigned char>(b));
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(CFStringGetLength(s), 1);
        char back[4] = {};
        ASSERT_TRUE(CFStringGetCString(s, back, sizeof back, kCFStringEncodingMacRoman)) << b;
        EXPECT_EQ(static_cast<unsigned char>(back[0]), b);
        EXPECT_EQ(back[1], '\0');
        CFRelease(s);
    }
}

TEST(CFStringMacRoman, UpperHalfMatchesTheSystemTable) {
    if (IconvMacRoman(0x80).empty()) GTEST_SKIP() << "no MACINTOSH table in this C library";
    for (int b = 0x80; b < 256; ++b) {
        // The system table predates the increment sign and keeps the
        // apple glyph in another private-use slot.
        if (b == 0xC6 || b == 0xF0) continue;
        CFStringRef s = FromByte(static_cast<unsigned char>(b));
        EXPECT_EQ(UTF8Of(s), IconvMacRoman(static_cast<unsigned char>(b))) << std::hex << b;
        CFRelease(s);
    }
}

TEST(CFStringMacRoman, KnownCharacters) {
    const struct {
        unsigned char byte;
        const char* utf8;
    } cases[] = {{0x80, "\u00C4"}, {0xA5, "\u2022"}, {0xC6, "\u2206"}, {0xCA, "\u00A0"},
                 {0xDB, "\u20AC"}, {0xF0, "\uF8FF"}, {0xFF, "\u02C7"}, {'A', "A"}};
    for (const auto& c : cases) {
        CFStringRef s = FromByte(c.byte);
        EXPECT_EQ(UTF8Of(s), c.utf8) << std::hex << int{c.byte};
        CFRelease(s);
    }
}

TEST(CFStringMacRoman, OlderCodePointsStillEncode) {
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "\u0394\u2126\u00A4", kCFStringEncodingUTF8);
    char bytes[8];
    ASSERT_TRUE(CFStringGetCString(s, bytes, sizeof bytes, kCFStringEncodingMacRoman));
    EXPECT_STREQ(bytes, "\xC6\xBD\xDB");
    CFRelease(s);
}

TEST(CFStringGetCString, RefusesWhatDoesNotFit) {
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "K\u00F6ln \u65E5", kCFStringEncodingUTF8);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(CFStringGetLength(s), 6);
    char buffer[32] = "untouched";
    EXPECT_FALSE(CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingMacRoman));
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingASCII));
    char small[9];  // the UTF-8 form needs 10 bytes with its terminator
    EXPECT_FALSE(CFStringGetCString(s, small, sizeof small, kCFStringEncodingUTF8));
    char exact[10];
    EXPECT_TRUE(CFStringGetCString(s, exact, sizeof exact, kCFStringEncodingUTF8));
    CFRelease(s);
}

TEST(CFStringCreate, RefusesBadInput) {
    EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, nullptr, kCFStringEncodingUTF8), nullptr);
    EXPECT_EQ(CFStringCreateWithPascalString(kCFAllocatorDefault, nullptr, kCFStringEncodingMacRoman), nullptr);
    for (const char* bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80", "a\x80"})
        EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, bad, kCFStringEncodingUTF8), nullptr) << bad;
    EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "\xE9", kCFStringEncodingASCII), nullptr);
    EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "x", 0x7777), nullptr);
}

TEST(CFStringCreate, PascalTextIsTakenByLength) {
    const unsigned char pascal[] = {3, 'a', 0, 'b', 'z'};
    CFStringRef s = CFStringCreateWithPascalString(kCFAllocatorDefault, pascal, kCFStringEncodingMacRoman);
    EXPECT_EQ(CFStringGetLength(s), 3);
    CFRelease(s);
    const unsigned char empty[] = {0};
    CFStringRef e = CFStringCreateWithPascalString(kCFAllocatorDefault, empty, kCFStringEncodingMacRoman);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(CFStringGetLength(e), 0);
    EXPECT_EQ(UTF8Of(e), "");
    CFRelease(e);
}

TEST(CFRetainRelease, CountsReferences) {
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "x", kCFStringEncodingUTF8);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    EXPECT_EQ(CFRetain(s), s);
    EXPECT_EQ(CFGetRetainCount(s), 2);
    CFRelease(s);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    CFRelease(s);  // the sanitizer build sees a leak or a double free here
    CFRelease(nullptr);
    EXPECT_EQ(CFRetain(nullptr), nullptr);
}

}  // namespace
