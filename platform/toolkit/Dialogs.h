/* Dialog Manager: standard alerts. A toolkit that can show windows installs
 * a presenter; without one an alert is one line on standard error and is
 * answered with its default button. */
#ifndef MV_DIALOGS_H
#define MV_DIALOGS_H

#include "MacTypes.h"
#include "system/CFString.h"

MV_EXTERN_C_BEGIN

typedef struct OpaqueDialogPtr* DialogRef;
typedef struct OpaqueModalFilterProcPtr* ModalFilterUPP;
typedef SInt16 AlertType;
typedef SInt16 DialogItemIndex;
typedef UInt32 OptionBits;

enum { kAlertStopAlert = 0, kAlertNoteAlert = 1, kAlertCautionAlert = 2, kAlertPlainAlert = 3 };

enum {
    kAlertStdAlertOKButton = 1,
    kAlertStdAlertCancelButton = 2,
    kAlertStdAlertOtherButton = 3,
    kAlertStdAlertHelpButton = 4
};

enum { kStdCFStringAlertVersionOne = 1 };
enum { kWindowDefaultPosition = 0 };

/* Button texts that stand for the system's own wording. */
#define kAlertDefaultOKText ((CFStringRef)(intptr_t)-1)
#define kAlertDefaultCancelText ((CFStringRef)(intptr_t)-1)
#define kAlertDefaultOtherText ((CFStringRef)(intptr_t)-1)

typedef struct AlertStdCFStringAlertParamRec {
    UInt32 version;
    Boolean movable;
    Boolean helpButton;
    CFStringRef defaultText; /* NULL: no such button */
    CFStringRef cancelText;
    CFStringRef otherText;
    SInt16 defaultButton;
    SInt16 cancelButton;
    UInt16 position;
    OptionBits flags;
} AlertStdCFStringAlertParamRec;

/* One OK button, the default; movable; default position. */
MV_API OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamRec* param, UInt32 version);

/* param NULL gives the default parameters. The alert keeps its own
 * references to the texts. */
MV_API OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                                    const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert);

/* Shows the alert until it is dismissed, answers the button's number and
 * disposes of the alert. */
MV_API OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP filterProc, DialogItemIndex* outItemHit);

MV_API void DisposeDialog(DialogRef theDialog);

/* What a presenter is shown: texts resolved, buttons absent where NULL. */
typedef struct MVAlertContent {
    AlertType alertType;
    CFStringRef message;
    CFStringRef explanation; /* may be NULL */
    CFStringRef defaultText;
    CFStringRef cancelText;
    CFStringRef otherText;
    Boolean helpButton;
    SInt16 defaultButton;
    SInt16 cancelButton;
} MVAlertContent;

/* Shows an alert modally and answers the number of the button pressed. */
typedef DialogItemIndex (*MVAlertPresenter)(const MVAlertContent* alert);

/* Installs the presenter (NULL: back to the headless line on standard
 * error) and answers the one it replaces. */
MV_API MVAlertPresenter MVInstallAlertPresenter(MVAlertPresenter presenter);

/* The headless presenter: "program: message: explanation" on standard error,
 * answered with the default button. */
MV_API DialogItemIndex MVPresentAlertOnStandardError(const MVAlertContent* alert);

MV_EXTERN_C_END

#endif
