// The plug-in's own window code on the toolkit: the control helpers' misses,
// the window opener and its two ways to stop, and the about window inside a
// running modal loop.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "config/PluginDefines.h"
#include "dialog/aboutWindow.h"
#include "dialog/carbonmacros.h"
#include "support/StandInControls.h"
#include "toolkit/IBCarbonRuntime.h"
#include "toolkit/ToolkitInternal.h"
#include "util/Diagnostics.h"
#include "util/NibWindows.h"
#include "util/PascalStrings.h"

namespace {

constexpr OSType kKeep = MV_FOURCC('K', 'e', 'e', 'p');
constexpr OSType kPlug = MV_FOURCC('P', 'l', 'u', 'g');
constexpr OSType kVers = MV_FOURCC('V', 'e', 'r', 's');

QString LabelText(WindowRef window, OSType signature) {
    ControlRef c = SimpleGetControlByID(window, signature, 1);
    return c ? static_cast<QLabel*>(c->widget.data())->text() : QString();
}

// Presses the button with this text on whatever modal window is up.
void PressOnModal(const QString& text) {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    for (QAbstractButton* b : modal->findChildren<QAbstractButton*>())
        if (b->text() == text) return b->click();
    FAIL() << "no button " << text.toStdString();
}

class Dialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("MV_SCREENSHOTS") || !std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "test_dialog";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
        ASSERT_NE(dlopen(MV_BUNDLE_DIR "/Contents/Linux/morvatelle.so", RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
        mvtest::RegisterStandInControls();
    }
};

TEST_F(Dialog, CommandStringsAreAllFourBytes) {
    EXPECT_EQ(CommandID2Str(0x6F6B2020), "ok  ");
    EXPECT_NE(CommandID2Str(0x6F6B2020), "ok");
    EXPECT_EQ(CommandID2Str(MV_FOURCC('C', 'o', 'l', '3')), "Col3");
}

TEST_F(Dialog, HelpersSkipWhatTheWindowLacks) {
    WindowRef about = OpenNibWindowFromCFBundle(cMyBundleID, "about", "about");
    ASSERT_NE(about, nullptr);
    Str255 text;
    CopyCToPString("Named", text);
    SimpleSetControlText(about, kPlug, 1, text);
    EXPECT_EQ(LabelText(about, kPlug), "Named");
    CopyCToPString("", text);
    SimpleSetControlText(about, kPlug, 1, text);
    EXPECT_EQ(LabelText(about, kPlug), "") << "an empty text clears";
    // The about window has no "Keep" check box and no "Plug" 2: nothing happens.
    CopyCToPString("Kept", text);
    SimpleSetControlText(about, kPlug, 1, text);
    EXPECT_EQ(SimpleGetControlByID(about, kKeep, 1), nullptr);
    EXPECT_EQ(SimpleGetControlValueByID(about, kKeep, 1), 0);
    SimpleSetControlValueByID(about, kKeep, 1, 1);
    CopyCToPString("Elsewhere", text);
    SimpleSetControlText(about, kPlug, 2, text);
    SimpleSetControlText(about, kPlug, 1, nullptr);
    EXPECT_EQ(LabelText(about, kPlug), "") << "no text clears too";
    SimpleHideControl(about, kKeep, 1);
    SimpleHideControl(about, kVers, 1);
    EXPECT_FALSE(IsControlVisible(SimpleGetControlByID(about, kVers, 1)));
    const Rect box = GetControlBox(SimpleGetControlByID(about, kPlug, 1));
    EXPECT_GT(box.right - box.left, 0);
    DisposeWindow(about);
}

TEST_F(Dialog, EmptyInterfaceFileNameOpensThePluginsOwn) {
    WindowRef window = OpenNibWindowFromCFBundle(cMyBundleID, "", "configPAL");
    ASSERT_NE(window, nullptr);
    DisposeWindow(window);
}

// Opened over the dialog's running loop, closed by either button: the
// dialog's loop goes on and the drawing port is the dialog's again.
TEST_F(Dialog, AboutWindowShowsNameAndVersionOverTheDialog) {
    WindowRef dialog = OpenNibWindowFromCFBundle(cMyBundleID, "morvatelle", "configNTSC");
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog);
    SetPortWindowPort(dialog);
    std::vector<QString> seen;
    GWorldPtr elsewhere = nullptr;
    const Rect small{0, 0, 4, 4};
    ASSERT_EQ(NewGWorld(&elsewhere, 32, &small, nullptr, nullptr, 0), noErr);
    for (const char* button : {"OK", "Close"}) {
        QTimer::singleShot(0, [&, button] {
            QTimer::singleShot(0, [&, button] {
                QWidget* about = QApplication::activeModalWidget();
                ASSERT_NE(about, nullptr);
                for (QLabel* l : about->findChildren<QLabel*>()) seen.push_back(l->text());
                SetGWorld(elsewhere, nullptr);  // drawing elsewhere while it is up
                if (const char* folder = std::getenv("MV_SCREENSHOTS"))
                    about->grab().save(QString(folder) + "/about-shown.png");
                PressOnModal(button);
            });
            ShowAbout();
            CGrafPtr port;
            GDHandle device;
            GetGWorld(&port, &device);
            EXPECT_EQ(port, GetWindowPort(dialog));
            QuitAppModalLoopForWindow(dialog);
        });
        RunAppModalLoopForWindow(dialog);
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), QStringLiteral("Morva Telle")), 2);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), QStringLiteral("Version 3.0.0 (i386 Universal)")), 2);
    DisposeWindow(dialog);
    DisposeGWorld(elsewhere);
}

// While the application runs, the plug-in's notices are caution alerts and
// its fatal stop a stop alert, with their buttons as the plug-in names them.
TEST_F(Dialog, NoticesAndWarningsAreCautionAlerts) {
    QString seen;
    auto answer = [&](const QString& press) {
        QTimer::singleShot(0, [&seen, press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = QString::number(box->icon()) + "|" + box->text() + "|" + box->informativeText() + "|";
            for (QAbstractButton* b : box->buttons()) seen += b->text() + ",";
            for (QAbstractButton* b : box->buttons())
                if (b->text() == press) b->click();
        });
    };
    answer("ok");
    Notify("the preview could not be made");
    EXPECT_EQ(seen, QString::number(QMessageBox::Warning) + "|Internal Notification:|the preview could not be made|ok,");
    answer("Not now");
    EXPECT_EQ(StandardWarning("Save?", "The settings changed.", "Save", "Not now"), 2);
    answer("Save");
    EXPECT_EQ(StandardWarning("Save?", "The settings changed.", "Save", "Not now"), 1);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QTimer::singleShot(0, [] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box || box->icon() != QMessageBox::Critical) std::_Exit(3);
                std::fprintf(stderr, "%s|%s\n", qPrintable(box->text()), qPrintable(box->informativeText()));
                box->buttons().front()->click();
            });
            Assert(nullptr, "a test");
        },
        ::testing::ExitedWithCode(1), "Assertion Failure\\|Assertion failed in: a test");
}

// A missing interface file stops with the alert; a missing window ends the
// process at once with the error's low byte.
TEST_F(Dialog, OpeningFailuresStopThePlugin) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QTimer::singleShot(0, [] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) std::_Exit(3);
                std::fprintf(stderr, "%s|%s\n", qPrintable(box->text()), qPrintable(box->informativeText()));
                box->buttons().front()->click();
            });
            OpenNibWindowFromCFBundle(cMyBundleID, "nowhere", "about");
        },
        ::testing::ExitedWithCode(1),
        "OpenNibWindow Failed\\|Unable to CreateNibReferenceWithCFBundle for \"com.qrv.vidkitfx.morvatelle/nowhere\" "
        "as it returned errcode #-10960\\.");
    EXPECT_EXIT(OpenNibWindowFromCFBundle(cMyBundleID, "morvatelle", "configSECAM"),
                ::testing::ExitedWithCode(kIBCarbonRuntimeCantFindObject & 0xFF), "");
    // Never 0, which would tell the shell all went well.
    for (const OSStatus err : {-256, -512, -65536})
        EXPECT_EQ(WindowFailureStatus(err), 1) << err;
    EXPECT_EQ(WindowFailureStatus(-108), -108 & 0xFF);
}

}  // namespace
