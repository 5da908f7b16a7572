// The windowing toolkit on the bundle's own interface files: every control
// of the dialog where the plug-in looks for it, commands through handler
// chains, nested modal loops, keys and the title bar's close.
#include "ToolkitFixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>

#include <cstdlib>
#include <filesystem>
#include <vector>


namespace mvtest {
namespace {

enum class Kind { Custom, Slider, Text, PopUp, CheckBox, Button };

struct Expected {
    const char* signature;
    int first, last;
    Kind kind;
    const char* command;  // "" for none
    bool hidden;          // hidden when the window opens
};

// The dialog's controls by signature and id, as the plug-in addresses them.
const Expected kDialogControls[] = {
    {"Clip", 1, 1, Kind::Custom, "", false},   {"Colr", 1, 6, Kind::Custom, "Col", true},
    {"CLgd", 1, 6, Kind::Text, "", true},      {"Sldr", 1, 3, Kind::Slider, "", false},
    {"Sldr", 4, 6, Kind::Slider, "", true},    {"Lgnd", 1, 3, Kind::Text, "", false},
    {"Lgnd", 4, 6, Kind::Text, "", true},      {"Labl", 1, 3, Kind::Text, "", false},
    {"Labl", 4, 6, Kind::Text, "", true},      {"ClpS", 1, 1, Kind::Slider, "", false},
    {"ClpM", 1, 1, Kind::Text, "", false},     {"Rect", 1, 2, Kind::Text, "", true},
    {"Medi", 1, 1, Kind::PopUp, "Medi", false}, {"Keep", 1, 1, Kind::CheckBox, "Keep", false},
};
const char* const kDialogButtons[] = {"ok  ", "not!", "Info", "Adva", "Revi", "Rset", "Sall", "Help"};

bool IsKind(ControlRef c, Kind kind) {
    QWidget* w = c->widget;
    switch (kind) {
    case Kind::Custom: return c->kind == mvtk::ControlKind::Custom && c->customClass;
    case Kind::Slider: return qobject_cast<QSlider*>(w);
    case Kind::Text: return qobject_cast<QLabel*>(w);
    case Kind::PopUp: return qobject_cast<QComboBox*>(w);
    case Kind::CheckBox: return qobject_cast<QCheckBox*>(w);
    case Kind::Button: return qobject_cast<QPushButton*>(w);
    }
    return false;
}

// Records the commands a window's handler sees.
struct Recorder {
    std::vector<std::string> commands;
    OSStatus answer = noErr;
};

std::string Text(UInt32 code) {
    return {static_cast<char>(code >> 24), static_cast<char>(code >> 16), static_cast<char>(code >> 8),
            static_cast<char>(code)};
}

OSStatus Record(EventHandlerCallRef, EventRef event, void* data) {
    HICommand command{};
    EXPECT_EQ(GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr,
                                &command),
              noErr);
    auto* r = static_cast<Recorder*>(data);
    r->commands.push_back(Text(command.commandID));
    return r->answer;
}

const EventTypeSpec kCommands[] = {{kEventClassCommand, kEventCommandProcess}};

class Toolkit : public ToolkitTest {};

// Each layout: every control where the plug-in looks for it, the preview at
// the media type's frame size, and a port that covers the window.
TEST_F(Toolkit, EveryDialogWindowHasEveryControl) {
    struct Layout {
        const char* name;
        int width, height;
    };
    for (const Layout& layout : {Layout{"configNTSC", 720, 480}, Layout{"configPAL", 720, 576},
                                 Layout{"configHD", 960, 540}}) {
        const char* name = layout.name;
        SCOPED_TRACE(name);
        WindowRef window = Open("morvatelle", name);
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(IsWindowVisible(window)) << "windows are created hidden";
        ShowWindow(window);
        Rect box, port;
        GetControlBounds(Control(window, "Clip", 1), &box);
        EXPECT_EQ(box.right - box.left, layout.width);
        EXPECT_EQ(box.bottom - box.top, layout.height);
        GetPortBounds(GetWindowPort(window), &port);
        EXPECT_EQ(port.right, Widget(window)->width());
        EXPECT_EQ(port.bottom, Widget(window)->height());
        for (const Expected& e : kDialogControls) {
            for (int id = e.first; id <= e.last; ++id) {
                SCOPED_TRACE(std::string(e.signature) + " " + std::to_string(id));
                ControlRef control = Control(window, e.signature, id);
                ASSERT_NE(control, nullptr);
                EXPECT_TRUE(IsKind(control, e.kind));
                UInt32 command = 0;
                GetControlCommandID(control, &command);
                const std::string want = e.command == std::string("Col") ? "Col" + std::to_string(id) : e.command;
                EXPECT_EQ(command ? Text(command) : "", want);
                EXPECT_EQ(!IsControlVisible(control), e.hidden);
                EXPECT_EQ(GetControlOwner(control), window);
            }
        }
        for (const char* command : kDialogButtons) {
            SCOPED_TRACE(command);
            bool found = false;
            for (auto* b : Widget(window)->findChildren<QPushButton*>())
                found |= b->property("command").toString() == QString::fromLatin1(command);
            EXPECT_TRUE(found);
        }
        EXPECT_EQ(Control(window, "Sldr", 7), nullptr);
        DisposeWindow(window);
    }
}

TEST_F(Toolkit, ValuesStayInRangeAndTextsAreMacRoman) {
    WindowRef window = Open("morvatelle", "configNTSC");
    ASSERT_NE(window, nullptr);
    ControlRef slider = Control(window, "Sldr", 2);
    SetControl32BitValue(slider, 37);
    EXPECT_EQ(GetControl32BitValue(slider), 37);
    SetControl32BitValue(slider, 500);
    EXPECT_EQ(GetControl32BitValue(slider), 100);
    ControlRef scrubber = Control(window, "ClpS", 1);
    SetControl32BitMaximum(scrubber, 0);
    SetControl32BitValue(scrubber, 12);
    EXPECT_EQ(GetControl32BitValue(scrubber), 0);
    ControlRef colour = Control(window, "Colr", 3);
    SetControl32BitValue(colour, 0x1FFFFFF);
    EXPECT_EQ(GetControl32BitValue(colour), 0xFFFFFF);
    ControlRef media = Control(window, "Medi", 1);
    SetControl32BitValue(media, 3);
    EXPECT_EQ(GetControl32BitValue(media), 3);
    EXPECT_EQ(GetControl32BitMaximum(media), 3);
    ControlRef keep = Control(window, "Keep", 1);
    SetControl32BitValue(keep, 2);
    EXPECT_EQ(GetControl32BitValue(keep), 2);

    ControlRef legend = Control(window, "Lgnd", 1);
    const char roman[] = "37\xA1";  // Mac Roman's degree sign
    EXPECT_EQ(SetControlData(legend, kControlEntireControl, kControlStaticTextTextTag, 3, roman), noErr);
    EXPECT_EQ(static_cast<QLabel*>(legend->widget.data())->text(), QString::fromUtf8("37\u00B0"));
    char back[8] = {};
    Size size = 0;
    EXPECT_EQ(GetControlData(legend, kControlEntireControl, kControlStaticTextTextTag, sizeof back, back, &size), noErr);
    EXPECT_EQ(std::string(back, static_cast<std::size_t>(size)), std::string(roman));
    EXPECT_EQ(SetControlData(slider, kControlEntireControl, kControlStaticTextTextTag, 3, roman), errDataNotSupported);
    DisposeWindow(window);
}

// Handlers run newest first; one that passes the event on lets the next see it.
TEST_F(Toolkit, CommandsReachTheHandlersNewestFirst) {
    WindowRef window = Open("morvatelle", "configPAL");
    ASSERT_NE(window, nullptr);
    ShowWindow(window);
    Recorder older, newer;
    newer.answer = eventNotHandledErr;
    InstallEventHandler(GetWindowEventTarget(window), NewEventHandlerUPP(Record), 1, kCommands, &older, nullptr);
    EventHandlerRef newest = nullptr;
    InstallEventHandler(GetWindowEventTarget(window), NewEventHandlerUPP(Record), 1, kCommands, &newer, &newest);
    for (auto* b : Widget(window)->findChildren<QPushButton*>()) b->click();
    static_cast<QCheckBox*>(Control(window, "Keep", 1)->widget.data())->click();
    EXPECT_EQ(GetControl32BitValue(Control(window, "Keep", 1)), 1);
    EXPECT_EQ(newer.commands, older.commands);
    EXPECT_EQ(older.commands.size(), std::size(kDialogButtons) + 1);
    EXPECT_EQ(older.commands.back(), "Keep");

    auto* ok = Widget(window)->findChild<QPushButton*>("ok");
    newer.answer = noErr;  // handled: the older handler no longer sees it
    const std::size_t seenByOlder = older.commands.size();
    ok->click();
    EXPECT_EQ(newer.commands.back(), "ok  ");
    EXPECT_EQ(older.commands.size(), seenByOlder);

    RemoveEventHandler(newest);
    ok->click();
    EXPECT_EQ(older.commands.back(), "ok  ");
    EXPECT_EQ(newer.commands.size(), std::size(kDialogButtons) + 2);
    DisposeWindow(window);
}

// A handler may hand the event on itself, and may dispose of its own window.
OSStatus HandOnThenDispose(EventHandlerCallRef call, EventRef event, void* data) {
    const OSStatus next = CallNextEventHandler(call, event);
    EXPECT_EQ(next, noErr);
    DisposeWindow(static_cast<WindowRef>(data));
    return eventNotHandledErr;  // and still pass it on: nothing is left to pass it to
}

TEST_F(Toolkit, HandlersCallOnAndDisposeOfTheirWindow) {
    WindowRef window = Open("about", "about");
    ASSERT_NE(window, nullptr);
    ShowWindow(window);
    Recorder older;
    InstallEventHandler(GetWindowEventTarget(window), NewEventHandlerUPP(Record), 1, kCommands, &older, nullptr);
    InstallEventHandler(GetWindowEventTarget(window), NewEventHandlerUPP(HandOnThenDispose), 1, kCommands, window,
                        nullptr);
    QPointer<QWidget> widget = Widget(window);
    widget->findChild<QPushButton*>("ok")->click();
    EXPECT_EQ(older.commands, std::vector<std::string>{"ok  "});
    EXPECT_TRUE(widget.isNull() || widget->isHidden());
}

struct LoopRecord {
    WindowRef window;
    std::vector<std::string>* log;
};

OSStatus QuitOnOk(EventHandlerCallRef, EventRef event, void* data) {
    HICommand command{};
    GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
    auto* r = static_cast<LoopRecord*>(data);
    r->log->push_back(Text(command.commandID));
    QuitAppModalLoopForWindow(r->window);
    return noErr;
}

// The about window's loop runs inside the dialog's and ends first; the
// title bar's close and Escape send "not!", Return the default button's "ok  ".
TEST_F(Toolkit, NestedModalLoopsKeysAndTheTitleBar) {
    WindowRef dialog = Open("morvatelle", "configHD");
    WindowRef about = Open("about", "about");
    ASSERT_TRUE(dialog && about);
    std::vector<std::string> log;
    LoopRecord dialogRecord{dialog, &log}, aboutRecord{about, &log};
    InstallEventHandler(GetWindowEventTarget(dialog), NewEventHandlerUPP(QuitOnOk), 1, kCommands, &dialogRecord, nullptr);
    InstallEventHandler(GetWindowEventTarget(about), NewEventHandlerUPP(QuitOnOk), 1, kCommands, &aboutRecord, nullptr);
    ShowWindow(dialog);
    Soon([&] {
        ShowWindow(about);
        BringToFront(about);
        Soon([&] {
            EXPECT_TRUE(QTest::qWaitForWindowActive(Widget(about)));
            QTest::keyClick(Widget(about)->windowHandle(), Qt::Key_Return);

        });
        RunAppModalLoopForWindow(about);
        log.push_back("about closed");
        HideWindow(about);  // an app-modal window that stays up keeps the dialog inactive
        BringToFront(dialog);
        Soon([&] { Widget(dialog)->close(); });  // the title bar's close button
    });
    RunAppModalLoopForWindow(dialog);
    EXPECT_EQ(log, (std::vector<std::string>{"ok  ", "about closed", "not!"}));
    EXPECT_TRUE(Widget(dialog)->isVisible()) << "closing only sends the command";

    Soon([&] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(Widget(dialog)));
        QTest::keyClick(Widget(dialog)->windowHandle(), Qt::Key_Escape);
    });
    RunAppModalLoopForWindow(dialog);
    EXPECT_EQ(log.back(), "not!");
    DisposeWindow(about);
    DisposeWindow(dialog);
}

TEST_F(Toolkit, UnknownWindowsFilesAndClassesAreErrors) {
    EXPECT_EQ(Open("morvatelle", "configSECAM", kIBCarbonRuntimeCantFindObject), nullptr);
    CFStringRef id = CF(kBundleID), missing = CF("nowhere");
    IBNibRef nib = nullptr;
    EXPECT_EQ(CreateNibReferenceWithCFBundle(CFBundleGetBundleWithIdentifier(id), missing, &nib),
              kIBCarbonRuntimeCantFindNibFile);
    EXPECT_EQ(nib, nullptr);
    CFRelease(id);
    CFRelease(missing);
    UnregisterToolboxObjectClass(classes_.front());  // the clip control's class
    classes_.erase(classes_.begin());
    EXPECT_EQ(Open("morvatelle", "configNTSC", errToolboxObjectClassNotFound), nullptr);
}

// With MV_SCREENSHOTS=FOLDER, each window is also written there as a PNG.
TEST_F(Toolkit, Screenshots) {
    const char* folder = std::getenv("MV_SCREENSHOTS");
    if (!folder) GTEST_SKIP() << "set MV_SCREENSHOTS to a folder to write the windows' pictures";
    for (const auto& [nib, name] : {std::pair{"morvatelle", "configNTSC"}, std::pair{"morvatelle", "configPAL"},
                                    std::pair{"morvatelle", "configHD"}, std::pair{"about", "about"}}) {
        WindowRef window = Open(nib, name);
        ASSERT_NE(window, nullptr);
        ShowWindow(window);
        Widget(window)->grab().save(QString::fromStdString(std::string(folder) + "/" + name + ".png"));
        DisposeWindow(window);
    }
}

}  // namespace
}  // namespace mvtest
