// The dialog's custom controls in the NTSC configuration window: the handle
// geometry and drags as tables, the preview's drawing pixel for pixel, whole
// drags through the toolkit with the preview rendered again at every step,
// the colour box with its picker, and a picture well.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/DataHandling.h"
#include "config/PluginDefines.h"
#include "dialog/carbonmacros.h"
#include "dialog/controls/clipCTRL.h"
#include "dialog/controls/colorCTRL.h"
#include "dialog/controls/dlgUtils.h"
#include "dialog/controls/pictCTRL.h"
#include "engine/callPixelFX.h"
#include "engine/imageProcs.h"
#include "engine/relRects.h"
#include "plugin/engine/TestFrames.h"
#include "quickdraw/QDPort.h"
#include "support/OffscreenApp.h"
#include "toolkit/ToolkitInternal.h"
#include "util/NibWindows.h"
#include "util/TextConversions.h"

namespace {

using enginetest::Frame;
using enginetest::R;

constexpr OSType kClip = MV_FOURCC('C', 'l', 'i', 'p');
constexpr OSType kColr = MV_FOURCC('C', 'o', 'l', 'r');
const RGBColor kRed{65535, 0, 0};

struct Pixel {
    UInt8 a, r, g, b;
    bool operator==(const Pixel&) const = default;
};

bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

Pixel At(GWorldPtr gw, int h, int v) {
    PixMapHandle pm = GetGWorldPixMap(gw);
    Pixel p;
    std::memcpy(&p, GetPixBaseAddr(pm) + static_cast<std::ptrdiff_t>(v) * GetPixRowBytes(pm) + 4 * h, 4);
    return p;
}

// The pixels of `area` of a port, row by row.
std::vector<Pixel> Snapshot(GWorldPtr gw, const Rect& area) {
    std::vector<Pixel> pixels;
    for (int v = area.top; v < area.bottom; ++v)
        for (int h = area.left; h < area.right; ++h) pixels.push_back(At(gw, h, v));
    return pixels;
}

// Records the commands that reach the window, with the value of "Colr" 1 as each arrived.
using Heard = std::vector<std::pair<std::string, SInt32>>;
void RecordCommands(WindowRef window, Heard& heard) {
    const EventTypeSpec commands[] = {{kEventClassCommand, kEventCommandProcess}};
    auto record = [](EventHandlerCallRef, EventRef event, void* data) -> OSStatus {
        HICommand command{};
        GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
        ControlRef c = SimpleGetControlByID(gConfigWorkSpace.theWindow, MV_FOURCC('C', 'o', 'l', 'r'), 1);
        static_cast<Heard*>(data)->emplace_back(CommandID2Str(command.commandID), GetControl32BitValue(c));
        return noErr;
    };
    gConfigWorkSpace.theWindow = window;
    InstallEventHandler(GetWindowEventTarget(window), record, 1, commands, &heard, nullptr);
}

Rect Offset(Rect r, const Rect& by) {
    OffsetRect(&r, by.left, by.top);
    return r;
}

class Controls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        mvtest::StartOffscreenApp();
        ASSERT_NE(dlopen(MV_BUNDLE_DIR "/Contents/Linux/morvatelle.so", RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
    }

    void SetUp() override {
        ResetConfig(&config_, true);
        config_.frameStartColor = kRed;
        source_.FillOpaque(7);
        gConfigWorkSpace = pluginWorkSpace{};
        gConfigWorkSpace.theConfig = &config_;
        gConfigWorkSpace.sourceClip = source_.gw;
        gConfigWorkSpace.theFXClip = preview_.gw;
        gConfigWorkSpace.currFrameIndex = 50;  // in the hold, where the start rectangle fills the frame
        gConfigWorkSpace.maxFrameIndex = 100;
        gConfigWorkSpace.activeRel = 1;
        RegisterColorBox();
        RegisterClipCtrl();
        RegisterPictureControl();
    }

    void TearDown() override {
        if (window_) DisposeWindow(window_);
        UnregisterClipCtrl();
        UnregisterColorBox();
        UnregisterPictureControl();
    }

    // The NTSC dialog window, shown, with the start rectangle at `start`
    // (relative to the clip control) and the preview rendered for it.
    void Open(Rect start = R(100, 200, 160, 300)) {
        window_ = OpenNibWindowFromCFBundle(cMyBundleID, "morvatelle", "configNTSC");
        ASSERT_NE(window_, nullptr);
        gConfigWorkSpace.theFrameCtrl = SimpleGetControlByID(window_, kClip, 1);
        bounds_ = GetControlBox(gConfigWorkSpace.theFrameCtrl);
        SetStart(start);
        ShowWindow(window_);
        Draw1Control(gConfigWorkSpace.theFrameCtrl);
    }
    void SetStart(const Rect& start) {
        PutCurrentRel(Rect2Rel(Offset(start, bounds_), bounds_));
        CallPixelEffect(source_.gw, preview_.gw);
    }
    // The start rectangle, relative to the clip control.
    Rect Start() const {
        Rect r = Rel2Rect(GetCurrentRel(), bounds_);
        OffsetRect(&r, static_cast<SInt16>(-bounds_.left), static_cast<SInt16>(-bounds_.top));
        return r;
    }
    GWorldPtr Port() const { return GetWindowPort(window_); }
    QWindow* Native() const { return window_->widget->windowHandle(); }
    QPoint InControl(int v, int h) const { return QPoint(bounds_.left + h, bounds_.top + v); }

    void MoveTo(QPoint to) {
        mouse_ = to;
        QTest::mouseMove(Native(), to);
    }
    // Presses at `from`, runs `steps` one after another while the drag is
    // tracked, each once the one before has been taken in, then releases.
    // A press that nothing tracks has its steps run after it.
    void Drag(QPoint from, Qt::KeyboardModifiers keys, std::vector<std::function<void()>> steps) {
        struct Run {
            std::vector<std::function<void()>> steps;
            std::size_t next = 0;
            bool done = false;
        };
        auto run = std::make_shared<Run>(Run{std::move(steps)});
        auto release = [this, keys] { QTest::mouseRelease(Native(), Qt::LeftButton, keys, mouse_); };
        std::function<void()> step = [this, run, release, &step] {
            if (run->done) return;
            // Only while the tracking waits with nothing kept has every move made been handled.
            if (!window_->trackLoop || !window_->mouseSteps.empty()) return QTimer::singleShot(1, step);
            if (run->next < run->steps.size()) {
                run->steps[run->next++]();
                return QTimer::singleShot(0, step);
            }
            run->done = true;
            release();
        };
        QTimer::singleShot(0, step);
        mouse_ = from;
        QTest::mousePress(Native(), Qt::LeftButton, keys, from);
        if (!run->done) {
            run->done = true;
            for (; run->next < run->steps.size(); QApplication::processEvents()) run->steps[run->next++]();
            release();
        }
        QApplication::processEvents();
    }

    pluginDataRec config_{};
    Frame source_{720, 480}, preview_{720, 480};
    WindowRef window_ = nullptr;
    Rect bounds_{};
    QPoint mouse_;
};

TEST_F(Controls, HandleHitsAndDrags) {
    Open();
    // Handle squares reach 6 to each side, far edges excluded; corners first, in order.
    struct Hit {
        Rect rect;
        Point loc;
        SInt16 part;
    };
    const Hit hits[] = {
        {R(100, 200, 160, 300), {100, 194}, 1}, {R(100, 200, 160, 300), {94, 200}, 1},
        {R(100, 200, 160, 300), {100, 206}, 5}, {R(100, 200, 160, 300), {106, 200}, 5},
        {R(100, 200, 160, 300), {105, 305}, 2}, {R(100, 200, 160, 300), {165, 205}, 3},
        {R(100, 200, 160, 300), {165, 305}, 4}, {R(100, 200, 160, 300), {166, 300}, 0},
        {R(100, 200, 160, 300), {130, 300}, 0}, {R(100, 200, 160, 300), {160, 250}, 0},
        {R(100, 200, 160, 300), {130, 299}, 5}, {R(100, 200, 108, 208), {104, 204}, 1},
        {R(100, 200, 108, 208), {104, 206}, 2}, {R(100, 200, 108, 208), {106, 203}, 3},
    };
    for (const Hit& t : hits)
        EXPECT_EQ(IsHandleHit(t.rect, t.loc), t.part) << t.loc.v << "," << t.loc.h;

    // Whole displacements from the rectangle at mouse-down, in window coordinates.
    struct Move {
        const char* what;
        SInt16 handle;
        Point from, to;
        UInt32 modifiers;
        Boolean keepProps;
        Rect want;
    };
    const Rect r0 = R(100, 200, 160, 300);
    const Move moves[] = {
        {"handle 0 stays", 0, {160, 300}, {170, 350}, 0, true, r0},
        {"body part stays", 5, {160, 300}, {170, 350}, ShiftMask, true, r0},
        {"crossing over", 4, {160, 300}, {90, 190}, 0, false, R(90, 190, 100, 200)},
        {"onto the other's h", 4, {160, 300}, {170, 200}, 0, false, R(100, 200, 170, 200)},
        {"option about the centre", 4, {160, 300}, {165, 310}, OptionMask, false, R(95, 190, 165, 310)},
        {"shift keeps mouse-down proportions", 4, {160, 300}, {160, 350}, ShiftMask, false, R(100, 200, 190, 350)},
        {"shift on top-left moves the bottom", 1, {100, 200}, {100, 150}, ShiftMask, false, R(100, 150, 190, 300)},
        {"keep-proportions wins over shift", 4, {160, 300}, {160, 350}, ShiftMask, true, R(100, 200, 200, 350)},
        {"keep-proportions rounds half up", 4, {160, 300}, {161, 300}, 0, true, R(100, 200, 167, 300)},
        {"other modifier bits ignored", 2, {100, 300}, {90, 320}, 0xF1FF & ~ShiftMask, false, R(90, 200, 160, 320)},
    };
    const Rect frame = gConfigWorkSpace.theFrameCtrl ? bounds_ : Rect{};
    for (const Move& t : moves) {
        config_.keepProps = t.keepProps;
        Rect r = Offset(r0, frame), want = Offset(t.want, frame);
        const Rect start = r;
        const Point from{static_cast<SInt16>(frame.top + t.from.v), static_cast<SInt16>(frame.left + t.from.h)};
        const Point to{static_cast<SInt16>(frame.top + t.to.v), static_cast<SInt16>(frame.left + t.to.h)};
        DragCorner(t.handle, r, from, to, t.modifiers, frame, Rect2Rel(start, frame));
        EXPECT_TRUE(r.top == want.top && r.left == want.left && r.bottom == want.bottom && r.right == want.right)
            << t.what << ": " << r.top - frame.top << "," << r.left - frame.left << "," << r.bottom - frame.top << ","
            << r.right - frame.left;
    }
    Rect body = r0;
    DragRect(body, Point{0, 0}, Point{-300, -500});
    EXPECT_EQ(body.left, -300) << "nothing limits a body drag";
}

// The handle's three rings over the picture: black, white, black; the middle
// shows the picture and the outline through, but for the four corner pixels
// that close the innermost ring.
TEST_F(Controls, PreviewOutlineHandlesAndBorder) {
    Open();
    SetPortWindowPort(window_);
    gConfigWorkSpace.activeRel = 0;
    DrawFrameContents(window_, bounds_);
    const std::vector<Pixel> plain = Snapshot(Port(), bounds_);
    gConfigWorkSpace.activeRel = 1;
    DrawFrameContents(window_, bounds_);
    const std::vector<Pixel> handled = Snapshot(Port(), bounds_);

    const char* const ring[] = {"....KKKK....", "..KKWWWWKK..", ".KWWKKKKWWK.", ".KWK....KWK.",
                                "KWK......KWK", "KWK......KWK", "KWK......KWK", "KWK......KWK",
                                ".KWK....KWK.", ".KWWKKKKWWK.", "..KKWWWWKK..", "....KKKK...."};
    const Rect frame = R(100, 200, 160, 300);
    const int w = bounds_.right - bounds_.left;
    std::vector<char> expected(handled.size(), '.');
    for (const Point corner : {Point{frame.top, frame.left}, Point{frame.top, frame.right},
                               Point{frame.bottom, frame.left}, Point{frame.bottom, frame.right}})
        for (int v = 0; v < 12; ++v)
            for (int h = 0; h < 12; ++h)
                if (ring[v][h] != '.') expected[(corner.v - 6 + v) * w + corner.h - 6 + h] = ring[v][h];
    int differing = 0;
    for (std::size_t i = 0; i < handled.size(); ++i) {
        // Above and below the outline, a ring's place shows the preview when handles are off.
        const int v = static_cast<int>(i / w), h = static_cast<int>(i % w);
        if (expected[i] != '.' && (v < frame.top || v >= frame.bottom)) {
            EXPECT_EQ(plain[i], At(preview_.gw, h, v)) << "no handles without activeRel 1";
        }
        const Pixel want = expected[i] == 'K' ? Pixel{255, 0, 0, 0} : expected[i] == 'W' ? Pixel{255, 255, 255, 255} : plain[i];
        if (!(handled[i] == want) && ++differing < 5) ADD_FAILURE() << "at " << i % w << "," << i / w;
    }
    EXPECT_EQ(differing, 0);

    // The preview 1:1, the outline in the start colour, the black border last.
    const int top = bounds_.top, left = bounds_.left, bottom = bounds_.bottom, right = bounds_.right;
    EXPECT_EQ(At(Port(), left + 400, top + 300), At(preview_.gw, 400, 300));
    EXPECT_EQ(At(Port(), left + 250, top + 100), (Pixel{255, 255, 0, 0}));
    EXPECT_EQ(At(Port(), left + 299, top + 130), (Pixel{255, 255, 0, 0}));
    EXPECT_EQ(At(Port(), left + 300, top + 130), At(preview_.gw, 300, 130)) << "one pixel wide, inside";
    for (const auto& [h, v] : {std::pair{left, top + 9}, {right - 1, top + 9}, {left + 9, top}, {left + 9, bottom - 1}})
        EXPECT_EQ(At(Port(), h, v), (Pixel{255, 0, 0, 0}));

    // Beyond the control's edge nothing is drawn: not the outline, not the handles.
    SetStart(R(-50, -50, 100, 100));
    const Rect outside = R(top - 8, left - 8, top + 120, left);
    const std::vector<Pixel> before = Snapshot(Port(), outside);
    DrawFrameContents(window_, bounds_);
    EXPECT_EQ(Snapshot(Port(), outside), before);
    EXPECT_EQ(At(Port(), left + 3, top + 3), At(preview_.gw, 3, 3)) << "the handle at -50,-50 is out of sight";
}

TEST_F(Controls, InactiveOrDisabledControlsDrawNothing) {
    Open();
    ControlRef box = SimpleGetControlByID(window_, kColr, 1);
    SetControl32BitMaximum(box, 0xFFFFFF);
    ShowControl(box);
    SetStart(R(10, 10, 400, 600));
    const std::vector<Pixel> before = Snapshot(Port(), bounds_);
    for (ControlRef c : {gConfigWorkSpace.theFrameCtrl, box}) {
        c->widget->setEnabled(false);
        Draw1Control(c);
    }
    SetControl32BitValue(box, 0x123456);
    EXPECT_TRUE(Snapshot(Port(), bounds_) == before) << "the clip keeps its picture";
    const Rect r = GetControlBox(box);
    for (const auto& [h, v] : {std::pair{r.left + 5, r.top + 5}, {r.left, r.top}, {r.right - 1, r.bottom - 1}})
        EXPECT_EQ(At(Port(), h, v), (Pixel{255, 255, 255, 255})) << "the box erased, no swatch, no outline";
}

// Each drag: where it starts, its keys, the moves and the start rectangle
// after each (relative to the clip control; a move outside changes nothing).
constexpr Rect kQueued{-32768, 0, 0, 0};

struct DragCase {
    const char* what;
    QPoint from;  // (h, v) in the control
    Qt::KeyboardModifiers keys;
    Boolean keepProps;
    std::vector<std::pair<QPoint, Rect>> moves;
};

TEST_F(Controls, DragsThroughTheToolkit) {
    const Rect r0 = R(100, 200, 160, 300);
    const DragCase cases[] = {
        {"body, out and back in", {250, 130}, {}, false,
         {{{270, 140}, R(110, 220, 170, 320)}, {{250, -20}, R(110, 220, 170, 320)}, {{250, 150}, R(120, 200, 180, 300)}}},
        {"corner, out and back in", {300, 160}, {}, false,
         {{{320, 170}, R(100, 200, 170, 320)}, {{320, -10}, R(100, 200, 170, 320)}, {{280, 150}, R(100, 200, 150, 280)}}},
        {"option", {300, 160}, Qt::AltModifier, false, {{{310, 165}, R(95, 190, 165, 310)}}},
        {"shift on the top-left", {200, 100}, Qt::ShiftModifier, false, {{{150, 100}, R(100, 150, 190, 300)}}},
        {"keep-proportions over shift", {300, 160}, Qt::ShiftModifier, true, {{{350, 160}, R(100, 200, 200, 350)}}},
        {"crossing over", {300, 160}, {}, false, {{{190, 90}, R(90, 190, 100, 200)}}},
        {"away from the rectangle", {600, 300}, {}, false, {{{620, 320}, r0}}},
        {"moves that queue up", {250, 130}, {}, false,
         {{{260, 130}, kQueued}, {{250, -20}, kQueued}, {{270, 150}, R(120, 220, 180, 320)}}},
    };
    Open(r0);
    for (const DragCase& t : cases) {
        SCOPED_TRACE(t.what);
        SetStart(r0);
        config_.keepProps = t.keepProps;
        Draw1Control(gConfigWorkSpace.theFrameCtrl);
        std::vector<std::function<void()>> steps;
        Rect last = r0;
        std::vector<QPoint> together;
        for (const auto& [to, want] : t.moves) {
            together.push_back(InControl(to.y(), to.x()));
            if (want.top == kQueued.top) continue;  // sent at once with the next
            steps.push_back([&, moves = std::exchange(together, {})] {
                for (const QPoint& m : moves) MoveTo(m);
            });
            steps.push_back([&, want = want] {
                const Rect got = Start();
                EXPECT_TRUE(got.top == want.top && got.left == want.left && got.bottom == want.bottom && got.right == want.right)
                    << got.top << "," << got.left << "," << got.bottom << "," << got.right;
                // Rendered for the stored rectangle and shown with it.
                Frame fresh(720, 480);
                CallPixelEffect(source_.gw, fresh.gw);
                EXPECT_EQ(std::memcmp(GetPixBaseAddr(GetGWorldPixMap(fresh.gw)), GetPixBaseAddr(GetGWorldPixMap(preview_.gw)),
                                      static_cast<std::size_t>(GetPixRowBytes(GetGWorldPixMap(fresh.gw))) * 480),
                          0);
                const std::vector<Pixel> shown = Snapshot(Port(), bounds_);
                SetPortWindowPort(window_);
                DrawFrameContents(window_, bounds_);
                EXPECT_TRUE(Snapshot(Port(), bounds_) == shown) << "the control shows the step";
            });
            last = want;
        }
        Drag(InControl(t.from.y(), t.from.x()), t.keys, steps);
        const Rect end = Start();
        EXPECT_TRUE(end.top == last.top && end.left == last.left && end.bottom == last.bottom && end.right == last.right)
            << "the release stores nothing further";
    }
    Rect whole;
    GetPortBounds(Port(), &whole);
    const Rect& clip = Port()->clipRect;
    EXPECT_TRUE(clip.top == whole.top && clip.left == whole.left && clip.bottom == whole.bottom && clip.right == whole.right)
        << "a drag's clip goes with it";
    const QImage shown = gConfigWorkSpace.theFrameCtrl->widget->grab().toImage();
    const Pixel p = At(Port(), bounds_.left + 333, bounds_.top + 222);
    EXPECT_EQ(shown.pixel(333, 222), qRgb(p.r, p.g, p.b)) << "the screen shows the port";
    if (const char* folder = std::getenv("MV_SCREENSHOTS"))
        window_->widget->grab().save(QString::fromUtf8(folder) + "/clip-control.png");
}

// The colour box: its swatch, and a click that opens the picker from its
// colour and then reaches the window as its command, chosen or not.
TEST_F(Controls, ColourBoxPicksAndSendsItsCommand) {
    Open();
    ControlRef box = SimpleGetControlByID(window_, kColr, 1);
    SetControl32BitMaximum(box, 0xFFFFFF);
    ShowControl(box);
    Heard heard;
    RecordCommands(window_, heard);

    struct Pick {
        bool accept;
        QColor color;
        SInt32 want;
    };
    const Pick picks[] = {{true, QColor::fromRgba64(0x1234, 0xABCD, 0xFFFF), 0x12ABFF}, {false, QColor(Qt::red), 0x12ABFF}};
    SetControl32BitValue(box, 0x123456);
    const Rect r = GetControlBox(box);
    EXPECT_EQ(At(Port(), r.left + 5, r.top + 5), (Pixel{255, 0x12, 0x34, 0x56}));
    EXPECT_EQ(At(Port(), r.left, r.top + 5), (Pixel{255, 0, 0, 0}));
    SInt32 startedFrom = -1;
    for (const Pick& p : picks) {
        const SInt32 before = GetControl32BitValue(box);
        mvtest::WhenReady([] { return qobject_cast<QColorDialog*>(QApplication::activeModalWidget()) != nullptr; },
                          [&] {
                              auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
                              EXPECT_EQ(dialog->windowTitle(), "Please choose color:");
                              EXPECT_EQ(GetControlHilite(gConfigWorkSpace.theFrameCtrl), kControlInactivePart)
                                  << "under the picker";
                              startedFrom = static_cast<SInt32>(dialog->currentColor().rgb() & 0xFFFFFF);
                              dialog->setCurrentColor(p.color);
                              p.accept ? dialog->accept() : dialog->reject();
                          });
        // Its upper half: the layout's label lies over the rest of the hidden box.
        Drag(QPoint(r.left + 15, r.top + 4), {}, {});
        ASSERT_TRUE(WaitFor([&] { return heard.size() == static_cast<std::size_t>(&p - picks + 1); }));
        EXPECT_EQ(startedFrom, before);
        EXPECT_EQ(heard.back(), std::make_pair(std::string("Col1"), p.want));
    }
    EXPECT_EQ(At(Port(), r.left + 5, r.top + 5), (Pixel{255, 0x12, 0xAB, 0xFF})) << "shown in its new colour";
}

// A picture well, put in the colour box's place: the white box, the image
// filling it when of the same proportions, inverted while pressed.
TEST_F(Controls, PictureWell) {
    UnregisterColorBox();
    CFStringRef id = MakeCFStringOfC("com.qrv.vidkitfx.color");
    const EventTypeSpec events[] = {{kEventClassControl, kEventControlDraw}, {kEventClassControl, kEventControlHitTest},
                                    {kEventClassControl, kEventControlHit}};
    ToolboxObjectClassRef well = nullptr;
    RegisterToolboxObjectClass(id, nullptr, 3, events, PictureControlHandler, nullptr, &well);
    CFRelease(id);
    // The colour box comes back, whatever happens here.
    const std::unique_ptr<void, void (*)(void*)> restore(well, [](void* cls) {
        UnregisterToolboxObjectClass(static_cast<ToolboxObjectClassRef>(cls));
        RegisterColorBox();
    });
    ASSERT_NE(well, nullptr);
    Open();
    ControlRef c = SimpleGetControlByID(window_, kColr, 1);
    const Rect r = GetControlBox(c);
    SetControl32BitMaximum(c, 1000);
    ShowControl(c);
    const Pixel white{255, 255, 255, 255}, black{255, 0, 0, 0}, blue{255, 0, 0, 255};
    EXPECT_EQ(At(Port(), r.left + 3, r.top + 3), white);
    EXPECT_EQ(At(Port(), r.right - 1, r.top + 3), black);

    Frame image(3, 2);  // the box's proportions, 30 x 20
    const Rect all = R(0, 0, 2, 3);
    CGrafPtr saved;
    GDHandle device;
    GetGWorld(&saved, &device);
    SetGWorld(image.gw, nullptr);
    const RGBColor b{0, 0, 65535};
    RGBForeColor(&b);
    PaintRect(&all);
    SetGWorld(saved, device);
    const std::unique_ptr<CGImage, void (*)(CGImageRef)> picture(GWorld2CGImage(image.gw), CGImageRelease);
    SetControl32BitValue(c, PictureControlValue(picture.get()));
    for (int v = r.top + 1; v < r.bottom - 1; ++v)
        for (int h = r.left + 1; h < r.right - 1; ++h) ASSERT_EQ(At(Port(), h, v), blue) << h << "," << v;

    Heard heard;
    RecordCommands(window_, heard);
    Drag(QPoint(r.left + 5, r.top + 5), {}, {[&] {
             EXPECT_EQ(GetControlHilite(c), 1);
             EXPECT_EQ(At(Port(), r.left + 5, r.top + 5), (Pixel{255, 255, 255, 0}));
             EXPECT_EQ(At(Port(), r.left, r.top + 5), white);
         }});
    EXPECT_EQ(GetControlHilite(c), 0);
    EXPECT_EQ(At(Port(), r.left + 5, r.top + 5), blue);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].first, "Col1") << "the click goes on to the window";
    DisposeWindow(window_);
    window_ = nullptr;
}

}  // namespace
