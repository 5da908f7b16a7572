// The configuration dialog as the user runs it: the window for each media
// type, edits surviving a change of layout, cancel restoring the record and
// leaving the settings file alone, accept saving it (or saying why it could
// not), a choice standing, reset, frame stepping and scrubbing through the
// host, the keep-proportions box and the manual.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <dlfcn.h>
#include <unistd.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/DataHandling.h"
#include "config/PluginDefines.h"
#include "config/prefsloader.h"
#include "dialog/carbonmacros.h"
#include "dialog/configdlghandler.h"
#include "dialog/controls/clipCTRL.h"
#include "dialog/controls/colorCTRL.h"
#include "dialog/controls/pictCTRL.h"
#include "engine/callPixelFX.h"
#include "hyplugin/HYPlugin.h"
#include "plugin/engine/TestFrames.h"
#include "support/OffscreenApp.h"
#include "toolkit/ToolkitInternal.h"

namespace {

namespace fs = std::filesystem;
using enginetest::Frame;

// The host's side: frames of one colour each, the fetches it was asked for.
std::vector<SInt32> gFetched;

HYPluginResult GetFrame(void*, SInt32 frame, GWorldPtr* theGW, SInt16 width, SInt16 height, HYRefDVQuality, SInt16*,
                        void** cookie) {
    gFetched.push_back(frame);
    const Rect r{0, 0, height, width};
    if (NewGWorld(theGW, 32, &r, nullptr, nullptr, 0) != noErr) return kPluginOutOfMemory;
    CGrafPtr saved;
    GDHandle device;
    GetGWorld(&saved, &device);
    SetGWorld(*theGW, nullptr);
    const RGBColor c{static_cast<UInt16>(frame * 5000), 30000, 60000};
    RGBForeColor(&c);
    PaintRect(&r);
    SetGWorld(saved, device);
    *cookie = *theGW;
    return kPluginOK;
}

HYPluginResult ReleaseFrame(void*, void* cookie) {
    DisposeGWorld(static_cast<GWorldPtr>(cookie));
    return kPluginOK;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class ConfigDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static char folder[] = "/tmp/mvdialogXXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        setenv("XDG_CONFIG_HOME", folder, 1);
        mvtest::StartOffscreenApp();
        ASSERT_NE(dlopen(MV_BUNDLE_DIR "/Contents/Linux/morvatelle.so", RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
        CreateConfigFile();  // as the plug-in's start makes it
    }

    void SetUp() override {
        ResetConfig(&config_, true);
        procs_.GetFrame = GetFrame;
        procs_.ReleaseFrame = ReleaseFrame;
        params_.procs = &procs_;
        gFetched.clear();
        gConfigWorkSpace = pluginWorkSpace{};
        gConfigWorkSpace.theConfig = &config_;
        gConfigWorkSpace.iMovieParams = &params_;
        gConfigWorkSpace.sourceClip = source_.gw;
        gConfigWorkSpace.theFXClip = preview_.gw;
        gConfigWorkSpace.minFrameIndex = 20;
        gConfigWorkSpace.maxFrameIndex = 9;
        gConfigWorkSpace.activeRel = 1;
        RegisterColorBox();
        RegisterClipCtrl();
        RegisterPictureControl();
    }
    void TearDown() override {
        UnregisterClipCtrl();
        UnregisterColorBox();
        UnregisterPictureControl();
    }

    static WindowRef Window() { return gConfigWorkSpace.theWindow; }
    static ControlRef Find(const char* signature, SInt32 id) {
        return SimpleGetControlByID(Window(), MV_FOURCC(signature[0], signature[1], signature[2], signature[3]), id);
    }
    static QString Text(const char* signature, SInt32 id) { return static_cast<QLabel*>(Find(signature, id)->widget.data())->text(); }
    static Rect ClipSize() {
        Rect r = GetControlBox(gConfigWorkSpace.theFrameCtrl);
        return Rect{0, 0, static_cast<SInt16>(r.bottom - r.top), static_cast<SInt16>(r.right - r.left)};
    }
    // Clicks the button that sends `command`.
    static void Press(const char* command) {
        for (auto& c : Window()->controls)
            if (CommandID2Str(c->command) == command)
                if (auto* b = qobject_cast<QAbstractButton*>(c->widget.data())) return b->click();
        ADD_FAILURE() << "no button " << command;
    }
    static void MoveSlider(const char* signature, SInt32 id, int to) {
        auto* slider = static_cast<QSlider*>(Find(signature, id)->widget.data());
        slider->setSliderPosition(to);  // as a drag moves it: the action runs
    }
    static void ChooseMedia(int index) {
        auto* menu = static_cast<QComboBox*>(Find("Medi", 1)->widget.data());
        menu->setCurrentIndex(index);
        emit menu->activated(index);
    }

    // Runs the dialog with `steps`, each once a dialog window is up and
    // waiting; returns what the dialog does.
    Boolean Run(std::vector<std::function<void()>> steps) {
        auto left = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [left, again = std::weak_ptr(poll)] {
            QWidget* modal = QApplication::activeModalWidget();
            const bool up = Window() && modal && modal == Window()->widget && Window()->modalLoop;
            if (left->empty()) return;
            if (!up) {
                if (auto p = again.lock()) QTimer::singleShot(5, *p);
                return;
            }
            auto step = std::move(left->front());
            left->erase(left->begin());
            step();
            if (auto p = again.lock()) QTimer::singleShot(0, *p);
        };
        QTimer::singleShot(0, *poll);
        const Boolean result = DoConfig(&config_);
        EXPECT_TRUE(left->empty()) << left->size() << " steps never ran";
        return result;
    }

    // Answers the next alert with its default button and keeps its text.
    static void AnswerAlert(QString& text) {
        mvtest::WhenReady([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
                          [&text] {
                              auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                              text = box->informativeText();
                              box->defaultButton() ? box->defaultButton()->click() : box->accept();
                          });
    }

    fs::path SettingsFile() const { return fs::path(getenv("XDG_CONFIG_HOME")) / "kwtrp-Prefs"; }

    pluginDataRec config_{};
    HYProcs procs_{};
    HYPluginParams params_{};
    Frame source_{720, 480}, preview_{720, 480};
};

TEST_F(ConfigDialog, EachMediaTypeOpensItsLayout) {
    const struct {
        SInt16 mediaType;
        SInt16 width, height;
    } cases[] = {{1, 720, 480}, {2, 720, 576}, {3, 960, 540}, {0, 720, 480}, {-1, 720, 480}, {4, 720, 480}};
    for (const auto& t : cases) {
        config_.mediaType = t.mediaType;
        Rect size{};
        Run({[&] { size = ClipSize(); }, [] { Press("not!"); }});
        EXPECT_EQ(size.right, t.width) << t.mediaType;
        EXPECT_EQ(size.bottom, t.height) << t.mediaType;
        EXPECT_EQ(config_.mediaType, t.mediaType) << "cancelled";
    }
}

TEST_F(ConfigDialog, EditsSurviveAChangeOfLayoutAndCancelRestoresEverything) {
    const pluginDataRec before = config_;
    const std::string file = Bytes(SettingsFile());
    Rect palSize{};
    Run({[] {
             SetControl32BitValue(Find("Sldr", 2), 60);
             EXPECT_EQ(gConfigWorkSpace.theConfig->sliders[1], 50) << "a value the program sets runs no action";
             MoveSlider("Sldr", 2, 37);
             EXPECT_EQ(Text("Lgnd", 2), "37%");
             Press("Sall");
             ChooseMedia(0);  // the type already set: nothing happens
         },
         [] { ChooseMedia(1); },
         [&] {
             palSize = ClipSize();
             EXPECT_EQ(static_cast<QSlider*>(Find("Sldr", 2)->widget.data())->value(), 37);
             EXPECT_EQ(Text("Lgnd", 2), "37%");
             EXPECT_EQ(GetCurrentRel().left, 0.0);
             Press("not!");
         }});
    EXPECT_EQ(palSize.bottom, 576);
    EXPECT_EQ(std::memcmp(&config_, &before, sizeof config_), 0) << "every field back";
    EXPECT_EQ(Bytes(SettingsFile()), file) << "the file untouched";
}

TEST_F(ConfigDialog, ResetStepsAndKeepProportions) {
    config_.sliders[0] = 70;
    config_.keepProps = true;
    config_.mediaType = 2;
    Run({[] {
             // "Rset" is handled and still passed on.
             HICommand command{0, MV_FOURCC('R', 's', 'e', 't'), {}};
             OpaqueEventRef event{kEventClassCommand, kEventCommandProcess, {}};
             SetEventParameter(&event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
             EXPECT_EQ(TheDialogHandler(nullptr, &event, Window()), eventNotHandledErr);
             const SInt16 want[] = {10, 50, 0, 0, 0, 0};
             for (int n = 0; n < 6; ++n) EXPECT_EQ(gConfigWorkSpace.theConfig->sliders[n], want[n]);
             EXPECT_EQ(Text("Lgnd", 1), "10%");
             EXPECT_FALSE(gConfigWorkSpace.theConfig->keepProps);
             EXPECT_EQ(gConfigWorkSpace.theConfig->mediaType, 2);
         },
         [] {
             Press("Revi");  // at frame 0: nothing
             EXPECT_TRUE(gFetched.empty());
             EXPECT_EQ(Text("ClpM", 1), "0/9");
             Press("Adva");
             EXPECT_EQ(gConfigWorkSpace.currFrameIndex, 1);
             EXPECT_EQ(Text("ClpM", 1), "1/9");
             ASSERT_EQ(gFetched.size(), 1u);
             EXPECT_EQ(gFetched.back(), 21) << "the first frame plus the position";
             MoveSlider("ClpS", 1, 9);
             EXPECT_EQ(gFetched.back(), 29);
             EXPECT_EQ(Text("ClpM", 1), "9/9");
             Press("Adva");  // at the last frame: nothing
             EXPECT_EQ(gFetched.size(), 2u);
         },
         [] {
             SetControl32BitValue(Find("Keep", 1), 2);  // mixed counts as off
             emit static_cast<QAbstractButton*>(Find("Keep", 1)->widget.data())->clicked();
             EXPECT_FALSE(gConfigWorkSpace.theConfig->keepProps);
             Press("not!");
         }});
}

TEST_F(ConfigDialog, OneFrameClipAndTheScrubberAfterAReopen) {
    gConfigWorkSpace.maxFrameIndex = 0;
    Run({[] {
             EXPECT_EQ(Text("ClpM", 1), "0/0");
             EXPECT_EQ(GetControl32BitMaximum(gConfigWorkSpace.clipSlider), 0);
             gConfigWorkSpace.maxFrameIndex = 5;  // a longer clip, to step in
             SetControl32BitMaximum(gConfigWorkSpace.clipSlider, 5);
             Press("Adva");
             Press("Adva");
             ChooseMedia(2);
         },
         [] {
             EXPECT_EQ(GetControl32BitValue(gConfigWorkSpace.clipSlider), 2) << "the scrubber where it was";
             EXPECT_EQ(Text("ClpM", 1), "2/5");
             Press("not!");
         }});
}

TEST_F(ConfigDialog, AcceptSavesTheSettings) {
    Run({[] {
             MoveSlider("Sldr", 3, 42);
             Press("ok  ");
         }});
    EXPECT_EQ(config_.sliders[2], 42);
    pluginDataRec read{};
    ResetConfig(&read, true);
    ASSERT_TRUE(ReadConfig(&read));
    EXPECT_EQ(read.sliders[2], 42) << "what a later run starts from";
}

// Commands that arrive after OK (or a change of layout) and before the
// window's loop ends leave the choice as it was.
TEST_F(ConfigDialog, AChoiceStandsWhateverCommandFollowsIt) {
    Rect size{};
    EXPECT_TRUE(Run({[] {
                         ChooseMedia(1);
                         Press("Sall");
                     },
                     [&] {
                         size = ClipSize();
                         MoveSlider("Sldr", 3, 33);
                         Press("ok  ");
                         Press("Sall");
                         Press("Revi");
                     }}));
    EXPECT_EQ(size.bottom, 576) << "the new layout opened";
    EXPECT_EQ(config_.sliders[2], 33);
    pluginDataRec read{};
    ResetConfig(&read, true);
    ASSERT_TRUE(ReadConfig(&read));
    EXPECT_EQ(read.sliders[2], 33);
}

// OK with a settings file that cannot be written: the user hears why and
// the dialog comes back with the edit, to cancel (the caller hears the
// settings were not saved) or to try again once the cause is gone.
TEST_F(ConfigDialog, AcceptThatCannotBeSavedSaysWhyAndStaysOpen) {
    const pluginDataRec before = config_;
    fs::remove(SettingsFile());
    fs::create_directories(SettingsFile() / "inside");  // a folder with contents is never replaced
    for (const bool retry : {false, true}) {
        QString why;
        int slider = 0;
        const Boolean saved = Run({[&] {
                                       MoveSlider("Sldr", 3, 42);
                                       AnswerAlert(why);
                                       Press("ok  ");
                                   },
                                   [&] {
                                       slider = static_cast<QSlider*>(Find("Sldr", 3)->widget.data())->value();
                                       if (retry) {
                                           fs::remove_all(SettingsFile());
                                           CreateConfigFile();
                                           Press("ok  ");
                                       } else {
                                           Press("not!");
                                       }
                                   }});
        EXPECT_TRUE(why.contains("a folder stands in its place")) << why.toStdString();
        EXPECT_EQ(slider, 42) << "the edit still there";
        EXPECT_EQ(saved, retry);
        EXPECT_EQ(config_.sliders[2], retry ? 42 : before.sliders[2]);
    }
    pluginDataRec read{};
    ResetConfig(&read, true);
    ASSERT_TRUE(ReadConfig(&read));
    EXPECT_EQ(read.sliders[2], 42) << "saved on the second try";
}

long ResidentKilobytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Each opening registers the dialog's three control classes, as the
// plug-in's entry does, and each closing unregisters them: their records
// go with the window's controls, and memory stays flat.
TEST_F(ConfigDialog, RepeatedOpeningsLeaveNothingBehind) {
    auto openAndClose = [this](int times) {
        for (int i = 0; i < times; ++i) {
            TearDown();
            SetUp();
            Run({[] { Press("not!"); }});
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    openAndClose(20);
    const std::size_t records = mvtk::ClassRecordCount();
    [[maybe_unused]] const long before = ResidentKilobytes();
    openAndClose(200);
    EXPECT_EQ(mvtk::ClassRecordCount(), records);
    EXPECT_LE(records, 3u);
#if !defined(__SANITIZE_ADDRESS__)  // its quarantine holds freed memory back on purpose
    EXPECT_LT(ResidentKilobytes() - before, 4096) << "kilobytes more after 200 openings";
#endif
}

TEST_F(ConfigDialog, ManualThatCannotBeShownIsANotice) {
    QString notice;
    Run({[&] {
             AnswerAlert(notice);
             Press("Help");
         },
         [] { Press("not!"); }});
    const std::string manual = Bytes(fs::path(MV_BUNDLE_DIR) / "Contents/Resources/manual.pdf");
    EXPECT_EQ(manual.substr(0, 5), "%PDF-") << "the build lays out the manual";
    EXPECT_EQ(notice, "LSOpen failed with -10814") << "off screen, no viewer can take it";
}

}  // namespace
