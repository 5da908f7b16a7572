// The custom button through the built bundle, as a host clicks it: the
// dialog's frame fetched at the media type's size, the dialog run on it, the
// frame given back, and a click before any render counting one frame.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <memory>

#include "support/OffscreenApp.h"
#include "test_render_host.h"

namespace rendertest {
namespace {

// Runs `step` on the dialog once it is up, from inside its modal loop.
void OnDialog(std::function<void(QWidget*)> step) {
    mvtest::WhenReady(
        [] {
            QWidget* dialog = QApplication::activeModalWidget();
            return dialog && dialog->findChild<QLabel*>("counter");
        },
        [step] { step(QApplication::activeModalWidget()); });
}

void Click(QWidget* dialog, const QString& text) {
    for (auto* b : dialog->findChildren<QAbstractButton*>())
        if (b->text() == text) return b->click();
    ADD_FAILURE() << "no button " << text.toStdString();
}

class CustomButton : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        mvtest::StartOffscreenApp();
    }
};

TEST_F(CustomButton, ClickBeforeAnyRenderOpensOnFrameZeroOfOneFrame) {
    TestHost host;
    QString counter;
    OnDialog([&](QWidget* dialog) {
        counter = dialog->findChild<QLabel*>("counter")->text();
        Click(dialog, "Cancel");
    });
    EXPECT_EQ(host.Call(kPlugCustomButtonClick), kPluginOK);
    EXPECT_EQ(counter, "0/0");
    ASSERT_GE(host.script().getFrames.size(), 1u);
    const GetFrameCall first = host.script().getFrames.front();
    EXPECT_EQ(first.frame, 0);
    EXPECT_EQ(first.width, 720);
    EXPECT_EQ(first.height, 480);
    EXPECT_EQ(first.quality, kDVHighQuality);
    EXPECT_EQ(host.script().releases.size(), host.script().getFrames.size()) << "every frame given back";
}

TEST_F(CustomButton, AcceptedLayoutSetsTheNextDialogsFrameSize) {
    TestHost host;
    host.SetClip(0, 30);
    ASSERT_EQ(host.RenderOne(4), kPluginOK);
    OnDialog([](QWidget* dialog) {
        auto* media = dialog->findChild<QComboBox*>("media");
        media->setCurrentIndex(1);
        emit media->activated(1);
        OnDialog([](QWidget* pal) { Click(pal, "OK"); });
    });
    ASSERT_EQ(host.Call(kPlugCustomButtonClick), kPluginOK);
    host.script().getFrames.clear();
    QString counter;
    OnDialog([&](QWidget* dialog) {
        counter = dialog->findChild<QLabel*>("counter")->text();
        Click(dialog, "Cancel");
    });
    ASSERT_EQ(host.Call(kPlugCustomButtonClick), kPluginOK);
    ASSERT_GE(host.script().getFrames.size(), 1u);
    EXPECT_EQ(host.script().getFrames.front().height, 576);
    EXPECT_EQ(counter, "0/29") << "the scrubber covers the clip last rendered";
}

TEST_F(CustomButton, FrameTheHostCannotGiveOpensNoDialog) {
    TestHost host;
    host.script().getFrameResult = kPluginCantGetNeededFrame;
    EXPECT_EQ(host.Call(kPlugCustomButtonClick), kPluginCantGetNeededFrame);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace rendertest
