// Loaded bundles found by the identifier their Info names.
#include "ProbeBundle.h"

#include "system/CFBundle.h"

#include <gtest/gtest.h>

#include <string>

using namespace probetest;

namespace {

CFStringRef Text(const char* text)
{
    return text ? CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8) : nullptr;
}

CFBundleRef Lookup(const char* identifier)
{
    CFStringRef id = Text(identifier);
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(id);
    CFRelease(id);
    return bundle;
}

// The resource's path, or "" when the bundle has none of that name.
std::string ResourcePath(CFBundleRef bundle, const char* name, const char* type, const char* subDir)
{
    CFStringRef nameText = Text(name), typeText = Text(type), subDirText = Text(subDir);
    CFURLRef url = CFBundleCopyResourceURL(bundle, nameText, typeText, subDirText);
    for (CFStringRef text : {nameText, typeText, subDirText})
        if (text)
            CFRelease(text);
    if (!url)
        return {};
    UInt8 path[1024] = {};
    const bool converted = CFURLGetFileSystemRepresentation(url, true, path, sizeof path);
    FSRef ref;
    const bool exists = CFURLGetFSRef(url, &ref);
    CFRelease(url);
    return converted && exists ? std::string(reinterpret_cast<char*>(path)) : "?";
}

std::string IdentifierOf(CFBundleRef bundle)
{
    char text[256] = {};
    CFStringGetCString(CFBundleGetIdentifier(bundle), text, sizeof text, kCFStringEncodingUTF8);
    return text;
}

TEST(CFBundle, UnknownIdentifiersFindNothing)
{
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(nullptr), nullptr);
    EXPECT_EQ(Lookup("org.test.nowhere"), nullptr);
    EXPECT_EQ(CFBundleGetIdentifier(nullptr), nullptr);
}

TEST(CFBundle, FindsALoadedBundleByItsIdentifier)
{
    const ProbeBundle probe(NewFolder("lookup"), "Lookup", "org.test.lookup", {});
    CFBundleRef bundle = Lookup("org.test.lookup");
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(IdentifierOf(bundle), "org.test.lookup");
    EXPECT_EQ(Lookup("org.test.lookup"), bundle);
    EXPECT_EQ(Lookup("org.test.look"), nullptr);
}

TEST(CFBundle, FindsABundleInAFolderWithSpacesAndAccents)
{
    const ProbeBundle probe(NewFolder("Dossier spécial ★"), "Prüf Bündle", "org.test.unicode", {});
    CFBundleRef bundle = Lookup("org.test.unicode");
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(IdentifierOf(bundle), "org.test.unicode");
}

TEST(CFBundle, ALibraryTheInfoDoesNotNameIsNoBundle)
{
    const ProbeBundle probe(NewFolder("stranger"), "Stranger", "org.test.stranger", {},
                            "someone-else.so");
    EXPECT_EQ(Lookup("org.test.stranger"), nullptr);
}

TEST(CFBundle, ResourcesByNameTypeAndFolder)
{
    const ProbeBundle probe(NewFolder("Ressources ü"), "Res", "org.test.resources",
                            {{5, {"five"}}});
    CFBundleRef bundle = Lookup("org.test.resources");
    ASSERT_NE(bundle, nullptr);
    const std::string resources = (probe.root() / "Contents/Resources").string();
    EXPECT_EQ(ResourcePath(bundle, "5", "txt", "strings"), resources + "/strings/5.txt");
    EXPECT_EQ(ResourcePath(bundle, "strings", nullptr, nullptr), resources + "/strings");
    EXPECT_EQ(ResourcePath(bundle, "6", "txt", "strings"), "");
    EXPECT_EQ(ResourcePath(bundle, "manual", "pdf", nullptr), "");
    EXPECT_EQ(CFBundleCopyResourceURL(nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST(CFURL, PathsThatDoNotFitAreRefused)
{
    const char path[] = "/tmp/some file";
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path), sizeof path - 1, false);
    ASSERT_NE(url, nullptr);
    UInt8 small[sizeof path - 1];
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, small, sizeof small));
    UInt8 exact[sizeof path];
    EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, exact, sizeof exact));
    EXPECT_STREQ(reinterpret_cast<char*>(exact), path);
    CFRelease(url);
    EXPECT_EQ(CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, nullptr, 0, false), nullptr);
}

} // namespace
