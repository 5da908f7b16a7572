#include "util/Diagnostics.h"

#include "toolkit/Dialogs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string UTF8Of(CFStringRef s) {
    if (!s) return "<none>";
    char buffer[1024];
    return CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "<unconvertible>";
}

struct Seen {
    AlertType type = -1;
    std::string message, explanation, defaultText, cancelText;
    SInt16 defaultButton = 0, cancelButton = 0;
    int count = 0;
};
Seen lgSeen;
DialogItemIndex lgAnswer = kAlertStdAlertOKButton;

DialogItemIndex Recording(const MVAlertContent* alert) {
    lgSeen = Seen{alert->alertType,         UTF8Of(alert->message),     UTF8Of(alert->explanation),
                  UTF8Of(alert->defaultText), UTF8Of(alert->cancelText), alert->defaultButton,
                  alert->cancelButton,      lgSeen.count + 1};
    return lgAnswer;
}

class DiagnosticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        lgSeen = Seen{};
        MVInstallAlertPresenter(Recording);
    }
    void TearDown() override { MVInstallAlertPresenter(nullptr); }
};

TEST_F(DiagnosticsTest, AssertOnAPointerShowsNothing) {
    int something = 0;
    testing::internal::CaptureStderr();
    Assert(&something, "whatever the text");
    Assert(&something, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(lgSeen.count, 0);
}

TEST_F(DiagnosticsTest, StandardWarningAnswersTheButtonPressed) {
    for (DialogItemIndex answer : {kAlertStdAlertOKButton, kAlertStdAlertCancelButton}) {
        lgAnswer = answer;
        EXPECT_EQ(StandardWarning("Reset?", "All sliders", "Reset", "Keep"), answer);
    }
    EXPECT_EQ(lgSeen.type, kAlertCautionAlert);
    EXPECT_EQ(lgSeen.message, "Reset?");
    EXPECT_EQ(lgSeen.explanation, "All sliders");
    EXPECT_EQ(lgSeen.defaultText, "Reset");
    EXPECT_EQ(lgSeen.cancelText, "Keep");
    EXPECT_EQ(lgSeen.defaultButton, 1);
    EXPECT_EQ(lgSeen.cancelButton, 2);
}

TEST_F(DiagnosticsTest, NotifyShowsOneLowerCaseOkButton) {
    lgAnswer = kAlertStdAlertOKButton;
    Notify("LSOpen failed with -43");
    EXPECT_EQ(lgSeen.count, 1);
    EXPECT_EQ(lgSeen.type, kAlertCautionAlert);
    EXPECT_EQ(lgSeen.message, "Internal Notification:");
    EXPECT_EQ(lgSeen.explanation, "LSOpen failed with -43");
    EXPECT_EQ(lgSeen.defaultText, "ok");
    EXPECT_EQ(lgSeen.cancelText, "<none>");
}

TEST_F(DiagnosticsTest, TextsAreMacRomanCutAt255) {
    StandardWarning("\xA5 Caf\x8E", std::string(300, 'x').c_str(), "ok", "");
    EXPECT_EQ(lgSeen.message, "\u2022 Caf\u00E9");
    EXPECT_EQ(lgSeen.explanation, std::string(255, 'x'));
}

TEST(DiagnosticsHeadlessTest, NotifyCarriesOn) {
    testing::internal::CaptureStderr();
    Notify("Something to know");
    EXPECT_NE(testing::internal::GetCapturedStderr().find(": Internal Notification: Something to know\n"),
              std::string::npos);
}

TEST(DiagnosticsDeathTest, AssertOnNullStopsWithItsPlace) {
    EXPECT_EXIT(Assert(nullptr, "Nil theConfig on DoConfig"), testing::ExitedWithCode(1),
                ": Assertion Failure: Assertion failed in: Nil theConfig on DoConfig\n");
}

TEST(DiagnosticsDeathTest, TerminateShowsItsAlertThenEnds) {
    EXPECT_EXIT(Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match"),
                testing::ExitedWithCode(1), ": Non-Matching Blocks: The Size of Source and Dest do not match\n");
}

TEST(DiagnosticsDeathTest, AssertPlaceIsCutWithTheWholeText) {
    const std::string place(300, 'p');
    // "Assertion failed in: " is 21 characters, so 234 of the place remain.
    EXPECT_EXIT(Assert(nullptr, place.c_str()), testing::ExitedWithCode(1),
                "Assertion failed in: p{234}\n");
}

TEST(DiagnosticsDeathTest, TerminateStopsWithAStopAlertThroughThePresenter) {
    EXPECT_EXIT(
        {
            MVInstallAlertPresenter([](const MVAlertContent* alert) -> DialogItemIndex {
                std::fprintf(stderr, "presented kind %d\n", alert->alertType);
                return kAlertStdAlertOKButton;
            });
            Terminate("Headline", "Description");
        },
        testing::ExitedWithCode(1), "presented kind 0\n");
}

}  // namespace
