#include "toolkit/Dialogs.h"
#include "toolkit/Processes.h"

#include <gtest/gtest.h>

#include <errno.h>

#include <string>

namespace {

std::string UTF8Of(CFStringRef s) {
    if (!s) return "<none>";
    char buffer[512];
    return CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "<unconvertible>";
}

CFStringRef Text(const char* utf8) { return CFStringCreateWithCString(kCFAllocatorDefault, utf8, kCFStringEncodingUTF8); }

// What the last presented alert showed, and the answer to give.
struct Seen {
    AlertType type = -1;
    std::string message, explanation, defaultText, cancelText, otherText;
    SInt16 defaultButton = 0, cancelButton = 0;
    int count = 0;
};
Seen lgSeen;
DialogItemIndex lgAnswer = 0;

DialogItemIndex Recording(const MVAlertContent* alert) {
    lgSeen = Seen{alert->alertType,          UTF8Of(alert->message),     UTF8Of(alert->explanation),
                  UTF8Of(alert->defaultText), UTF8Of(alert->cancelText), UTF8Of(alert->otherText),
                  alert->defaultButton,       alert->cancelButton,       lgSeen.count + 1};
    return lgAnswer;
}

class AlertsTest : public ::testing::Test {
protected:
    void TearDown() override { MVInstallAlertPresenter(nullptr); }

    DialogItemIndex Run(AlertType type, const char* message, const char* explanation,
                        const AlertStdCFStringAlertParamRec* param) {
        CFStringRef m = Text(message);
        CFStringRef e = explanation ? Text(explanation) : nullptr;
        DialogRef alert = nullptr;
        EXPECT_EQ(CreateStandardAlert(type, m, e, param, &alert), noErr);
        CFRelease(m);
        CFRelease(e);  // the alert keeps its own references
        DialogItemIndex hit = -1;
        EXPECT_EQ(RunStandardAlert(alert, nullptr, &hit), noErr);
        return hit;
    }
};

TEST_F(AlertsTest, HeadlessAlertIsOneLineOnStandardError) {
    const struct {
        const char* message;
        const char* explanation;
        std::string line;
    } cases[] = {
        {"Assertion Failure", "Assertion failed in: Nil theConfig on DoConfig",
         "Assertion Failure: Assertion failed in: Nil theConfig on DoConfig"},
        {"Internal Notification:", "LSOpen failed with -43", "Internal Notification: LSOpen failed with -43"},
        {"Only a message", nullptr, "Only a message"},
        {"Two\nlines", "and\r\nmore", "Two lines: and  more"},
        {"Caf\u00E9", "\u2022", "Caf\u00E9: \u2022"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(Run(kAlertStopAlert, c.message, c.explanation, nullptr), kAlertStdAlertOKButton);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  std::string(program_invocation_short_name) + ": " + c.line + "\n");
    }
}

TEST_F(AlertsTest, HeadlessCautionAnswersItsDefaultButton) {
    AlertStdCFStringAlertParamRec param;
    ASSERT_EQ(GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne), noErr);
    CFStringRef ok = Text("Go"), cancel = Text("Stop");
    param.defaultText = ok;
    param.cancelText = cancel;
    param.defaultButton = kAlertStdAlertCancelButton;
    param.cancelButton = kAlertStdAlertOKButton;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run(kAlertCautionAlert, "Sure?", "Really", &param), kAlertStdAlertCancelButton);
    testing::internal::GetCapturedStderr();
    CFRelease(ok);
    CFRelease(cancel);
}

TEST_F(AlertsTest, PresenterSeesResolvedTextsAndAnswers) {
    EXPECT_EQ(MVInstallAlertPresenter(Recording), nullptr);
    lgAnswer = kAlertStdAlertCancelButton;
    AlertStdCFStringAlertParamRec param;
    GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne);
    param.cancelText = kAlertDefaultCancelText;
    EXPECT_EQ(Run(kAlertCautionAlert, "Headline", "Body", &param), kAlertStdAlertCancelButton);
    EXPECT_EQ(lgSeen.type, kAlertCautionAlert);
    EXPECT_EQ(lgSeen.message, "Headline");
    EXPECT_EQ(lgSeen.explanation, "Body");
    EXPECT_EQ(lgSeen.defaultText, "OK");
    EXPECT_EQ(lgSeen.cancelText, "Cancel");
    EXPECT_EQ(lgSeen.otherText, "<none>");
    EXPECT_EQ(lgSeen.defaultButton, kAlertStdAlertOKButton);
    EXPECT_EQ(MVInstallAlertPresenter(nullptr), Recording);
}

TEST_F(AlertsTest, DefaultParameters) {
    MVInstallAlertPresenter(Recording);
    lgAnswer = kAlertStdAlertOKButton;
    Run(kAlertStopAlert, "m", "e", nullptr);
    EXPECT_EQ(lgSeen.type, kAlertStopAlert);
    EXPECT_EQ(lgSeen.defaultText, "OK");
    EXPECT_EQ(lgSeen.cancelText, "<none>");
    AlertStdCFStringAlertParamRec param;
    EXPECT_EQ(GetStandardAlertDefaultParams(&param, 2), paramErr);
    ASSERT_EQ(GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne), noErr);
    EXPECT_TRUE(param.movable);
    EXPECT_FALSE(param.helpButton);
    EXPECT_EQ(param.defaultButton, kAlertStdAlertOKButton);
    EXPECT_EQ(param.position, kWindowDefaultPosition);
}

TEST_F(AlertsTest, BadRequestsAreRefused) {
    DialogRef alert = nullptr;
    EXPECT_EQ(CreateStandardAlert(kAlertStopAlert, nullptr, nullptr, nullptr, &alert), paramErr);
    CFStringRef m = Text("m");
    EXPECT_EQ(CreateStandardAlert(kAlertStopAlert, m, nullptr, nullptr, nullptr), paramErr);
    AlertStdCFStringAlertParamRec param;
    GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne);
    param.version = 7;
    EXPECT_EQ(CreateStandardAlert(kAlertStopAlert, m, nullptr, &param, &alert), paramErr);
    EXPECT_EQ(RunStandardAlert(nullptr, nullptr, nullptr), paramErr);
    // An alert made and never run is disposed of by its maker.
    ASSERT_EQ(CreateStandardAlert(kAlertStopAlert, m, nullptr, nullptr, &alert), noErr);
    DisposeDialog(alert);
    CFRelease(m);
}

TEST(ExitToShellDeathTest, EndsWithAFailureStatus) {
    EXPECT_EXIT(
        {
            std::fputs("before the end\n", stderr);
            ExitToShell();
        },
        testing::ExitedWithCode(EXIT_FAILURE), "before the end");
}

}  // namespace
