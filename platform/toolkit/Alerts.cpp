#include "toolkit/Dialogs.h"

#include <errno.h>

#include <cstdio>
#include <string>

struct OpaqueDialogPtr {
    MVAlertContent content;
};

namespace {

MVAlertPresenter lgPresenter = nullptr;

std::string UTF8Of(CFStringRef text) {
    if (!text) return {};
    std::string utf8(static_cast<size_t>(CFStringGetLength(text)) * 4 + 1, '\0');
    CFStringGetCString(text, utf8.data(), static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8);
    utf8.resize(utf8.find('\0'));
    return utf8;
}

// A line break inside a text would split the one line a reader greps for.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}


// The system's wording stands in for the placeholder; other texts are kept.
CFStringRef ButtonText(CFStringRef given, const char* systemText) {
    if (given == reinterpret_cast<CFStringRef>(static_cast<intptr_t>(-1)))
        return CFStringCreateWithCString(kCFAllocatorDefault, systemText, kCFStringEncodingUTF8);
    return static_cast<CFStringRef>(CFRetain(given));
}

}  // namespace

DialogItemIndex MVPresentAlertOnStandardError(const MVAlertContent* alert) {
    std::string line = OneLine(UTF8Of(alert->message));
    const std::string explanation = OneLine(UTF8Of(alert->explanation));
    if (!explanation.empty()) line += (line.ends_with(':') ? " " : ": ") + explanation;
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line.c_str());
    std::fflush(stderr);
    if (alert->defaultText) return alert->defaultButton;
    return alert->cancelText ? alert->cancelButton : DialogItemIndex{kAlertStdAlertOKButton};
}

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamRec* param, UInt32 version) {
    if (!param || version != kStdCFStringAlertVersionOne) return paramErr;
    *param = AlertStdCFStringAlertParamRec{kStdCFStringAlertVersionOne, true, false, kAlertDefaultOKText,
                                           nullptr, nullptr, kAlertStdAlertOKButton, 0,
                                           kWindowDefaultPosition, 0};
    return noErr;
}

OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert) {
    if (!outAlert || !error) return paramErr;
    AlertStdCFStringAlertParamRec defaults;
    GetStandardAlertDefaultParams(&defaults, kStdCFStringAlertVersionOne);
    if (!param) param = &defaults;
    if (param->version != kStdCFStringAlertVersionOne) return paramErr;
    *outAlert = new OpaqueDialogPtr{MVAlertContent{
        alertType, static_cast<CFStringRef>(CFRetain(error)),
        static_cast<CFStringRef>(CFRetain(explanation)), ButtonText(param->defaultText, "OK"),
        ButtonText(param->cancelText, "Cancel"), ButtonText(param->otherText, "Don't Save"), param->helpButton,
        param->defaultButton, param->cancelButton}};
    return noErr;
}

OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP, DialogItemIndex* outItemHit) {
    if (!inAlert) return paramErr;
    const DialogItemIndex hit = (lgPresenter ? lgPresenter : MVPresentAlertOnStandardError)(&inAlert->content);
    if (outItemHit) *outItemHit = hit;
    DisposeDialog(inAlert);
    return noErr;
}

void DisposeDialog(DialogRef theDialog) {
    if (!theDialog) return;
    const MVAlertContent& c = theDialog->content;
    for (CFStringRef text : {c.message, c.explanation, c.defaultText, c.cancelText, c.otherText}) CFRelease(text);
    delete theDialog;
}

MVAlertPresenter MVInstallAlertPresenter(MVAlertPresenter presenter) {
    const MVAlertPresenter previous = lgPresenter;
    lgPresenter = presenter;
    return previous;
}
