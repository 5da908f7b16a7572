#include "util/Diagnostics.h"

#include "toolkit/Dialogs.h"
#include "toolkit/Processes.h"
#include "util/PascalStrings.h"
#include "util/TextConversions.h"

namespace {

// Runs the alert; 0 when it could not be shown.
SInt16 RunAlert(AlertType type, const char* headline, const char* description,
                const AlertStdCFStringAlertParamRec* param) {
    CFStringRef message = MakeCFStringOfC(headline);
    CFStringRef explanation = MakeCFStringOfC(description);
    DialogRef alert = nullptr;
    DialogItemIndex itemHit = 0;
    if (CreateStandardAlert(type, message, explanation, param, &alert) == noErr)
        RunStandardAlert(alert, nullptr, &itemHit);
    CFRelease(message);
    CFRelease(explanation);
    return itemHit;
}

thread_local AssertionHandler tAssertionHandler = nullptr;

}  // namespace

void SetAssertionHandler(AssertionHandler handler) { tAssertionHandler = handler; }

void Assert(const void* thePtr, const char* failLocation) {
    if (thePtr) return;
    if (tAssertionHandler) tAssertionHandler(failLocation);
    Str255 description;
    CopyCToPString("Assertion failed in: ", description);
    PStrCatC(description, failLocation);
    char text[256];
    CopyPToCString(description, text);
    Terminate("Assertion Failure", text);
}

void Terminate(const char* headline, const char* description) {
    RunAlert(kAlertStopAlert, headline, description, nullptr);
    ExitToShell();
}

SInt16 StandardWarning(const char* headline, const char* description, const char* okText,
                       const char* cancelText) {
    const bool hasCancel = cancelText && cancelText[0] != '\0';
    AlertStdCFStringAlertParamRec param{kStdCFStringAlertVersionOne,
                                        true,
                                        false,
                                        MakeCFStringOfC(okText),
                                        hasCancel ? MakeCFStringOfC(cancelText) : nullptr,
                                        nullptr,
                                        kAlertStdAlertOKButton,
                                        kAlertStdAlertCancelButton,
                                        kWindowDefaultPosition,
                                        0};
    const SInt16 itemHit = RunAlert(kAlertCautionAlert, headline, description, &param);
    CFRelease(param.defaultText);
    CFRelease(param.cancelText);
    return itemHit;
}

void Notify(const char* theMessage) { StandardWarning("Internal Notification:", theMessage, "ok", ""); }
