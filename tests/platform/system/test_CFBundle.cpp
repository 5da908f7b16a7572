// Loaded bundles found by the identifier their Info names.
#include "ProbeBundle.h"

#include "system/CFBundle.h"

#include <gtest/gtest.h>

#include <string>

using namespace probetest;

namespace {

CFBundleRef Lookup(const char* identifier)
{
    CFStringRef id = CFStringCreateWithCString(kCFAllocatorDefault, identifier, kCFStringEncodingUTF8);
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(id);
    CFRelease(id);
    return bundle;
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

} // namespace
