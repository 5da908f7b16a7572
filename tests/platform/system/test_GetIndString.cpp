// String lists found through the bundle whose code asks for them.
#include "ProbeBundle.h"

#include <gtest/gtest.h>

using namespace probetest;

namespace {

TEST(GetIndString, ItemsOfTheCallersOwnLists)
{
    const ProbeBundle bundle(NewFolder("own"), "Own", "org.test.own",
                             {{128, {"first", "", "third"}}, {-3, {"negative id"}}});
    EXPECT_EQ(bundle.IndString(128, 1), "first");
    EXPECT_EQ(bundle.IndString(128, 2), "");
    EXPECT_EQ(bundle.IndString(128, 3), "third");
    EXPECT_EQ(bundle.IndString(-3, 1), "negative id");
}

TEST(GetIndString, MissingItemsAndListsGiveEmptyStrings)
{
    const ProbeBundle bundle(NewFolder("missing"), "Missing", "org.test.missing",
                             {{128, {"only"}}});
    EXPECT_EQ(bundle.IndString(128, 2), "");
    EXPECT_EQ(bundle.IndString(128, 0), "");
    EXPECT_EQ(bundle.IndString(128, -1), "");
    EXPECT_EQ(bundle.IndString(129, 1), "");
}

TEST(GetIndString, WorksFromAFolderWithSpacesAndAccents)
{
    const ProbeBundle bundle(NewFolder("Mes modules – été"), "Bündle Prüfung", "org.test.accents",
                             {{130, {"found"}}});
    EXPECT_EQ(bundle.IndString(130, 1), "found");
}

TEST(GetIndString, EachBundleReadsItsOwnListOfTheSameNumber)
{
    const ProbeBundle first(NewFolder("same-1"), "Same", "org.test.same1", {{17000, {"one"}}});
    const ProbeBundle second(NewFolder("same-2"), "Same", "org.test.same2", {{17000, {"two"}}});
    EXPECT_EQ(first.IndString(17000, 1), "one");
    EXPECT_EQ(second.IndString(17000, 1), "two");
}

TEST(GetIndString, ABundleNeverReadsAnotherBundlesList)
{
    const ProbeBundle holder(NewFolder("holder"), "Holder", "org.test.holder", {{4242, {"mine"}}});
    const ProbeBundle other(NewFolder("other"), "Other", "org.test.other", {});
    EXPECT_EQ(other.IndString(4242, 1), "");
}

TEST(GetIndString, CodeOutsideBundlesReadsTheFirstBundleHoldingTheList)
{
    const ProbeBundle bundle(NewFolder("host"), "Host", "org.test.host", {{5151, {"shared"}}});
    EXPECT_EQ(HostIndString(5151, 1), "shared");
    EXPECT_EQ(HostIndString(5152, 1), "");
}

TEST(GetIndString, TextsArriveInMacRomanWithinTheirLength)
{
    const ProbeBundle bundle(NewFolder("texts"), "Texts", "org.test.texts",
                             {{200, {"Caf\xC3\xA9", "crlf\r", std::string(300, 'x'), "\xE6\xBC\xA2",
                                     "\xFF\xFE"}}});
    EXPECT_EQ(bundle.IndString(200, 1), "Caf\x8E");
    EXPECT_EQ(bundle.IndString(200, 2), "crlf");
    EXPECT_EQ(bundle.IndString(200, 3), std::string(255, 'x'));
    // Not in Mac Roman, and not UTF-8 at all.
    EXPECT_EQ(bundle.IndString(200, 4), "");
    EXPECT_EQ(bundle.IndString(200, 5), "");
}

} // namespace
