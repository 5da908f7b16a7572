// The application object and the alerts it shows while it runs.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "toolkit/Dialogs.h"
#include "toolkit/Display.h"
#include "toolkit/ToolkitInternal.h"

namespace {

QString QStringOf(CFStringRef text) { return QString::fromStdString(mvtk::UTF8Of(text)); }

// A standard alert as a message box while an application runs, the buttons
// answering their numbers; without one, the headless line.
DialogItemIndex PresentInMessageBox(const MVAlertContent* alert) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return MVPresentAlertOnStandardError(alert);
    QMessageBox box;
    box.setIcon(alert->alertType == kAlertStopAlert      ? QMessageBox::Critical
                : alert->alertType == kAlertCautionAlert ? QMessageBox::Warning
                : alert->alertType == kAlertNoteAlert    ? QMessageBox::Information
                                                         : QMessageBox::NoIcon);
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setText(QStringOf(alert->message));
    if (alert->explanation) box.setInformativeText(QStringOf(alert->explanation));
    struct Choice {
        CFStringRef text;
        DialogItemIndex number;
        QMessageBox::ButtonRole role;
    };
    QAbstractButton* defaultButton = nullptr;
    QAbstractButton* escapeButton = nullptr;
    for (const Choice& c : {Choice{alert->defaultText, kAlertStdAlertOKButton, QMessageBox::AcceptRole},
                            Choice{alert->cancelText, kAlertStdAlertCancelButton, QMessageBox::RejectRole},
                            Choice{alert->otherText, kAlertStdAlertOtherButton, QMessageBox::DestructiveRole}}) {
        if (!c.text) continue;
        QAbstractButton* button = box.addButton(QStringOf(c.text), c.role);
        button->setProperty("alertItem", c.number);
        if (c.number == alert->defaultButton) defaultButton = button;
        if (c.number == alert->cancelButton) escapeButton = button;
    }
    if (auto* b = qobject_cast<QPushButton*>(defaultButton)) box.setDefaultButton(b);
    box.setEscapeButton(escapeButton ? escapeButton : defaultButton);
    mvtk::ExecModal(box);
    QAbstractButton* clicked = box.clickedButton();
    if (clicked) return static_cast<DialogItemIndex>(clicked->property("alertItem").toInt());
    return escapeButton ? static_cast<DialogItemIndex>(escapeButton->property("alertItem").toInt())
                        : DialogItemIndex{kAlertStdAlertOKButton};
}

// From the moment this library is loaded, alerts are message boxes wherever
// an application runs, whoever made it.
[[maybe_unused]] const bool lgPresenting = (MVInstallAlertPresenter(PresentInMessageBox), true);

}  // namespace

namespace mvtk {

bool EnsureApplication() {
    // An application of the host's own that is no QApplication cannot make widgets.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        if (qobject_cast<QApplication*>(app)) return true;
        std::fprintf(stderr, "%s: no windows can be opened: the program's application object is not a "
                             "graphical one\n", program_invocation_short_name);
        return false;
    }
    std::string why;
    if (!MVDisplayUsable(true, why)) {
        std::fprintf(stderr, "%s: no display to open a window on: %s\n", program_invocation_short_name,
                     why.c_str());
        return false;
    }
    // Qt keeps argc by reference and argv for the application's life.
    static int argc = 1;
    static char name[] = "Morva Telle";
    static char* argv[] = {name, nullptr};
    auto* app = new QApplication(argc, argv);
    app->setApplicationDisplayName(QStringLiteral("Morva Telle"));
    app->setQuitOnLastWindowClosed(false);
    return true;
}

}  // namespace mvtk
