// Custom controls: widgets that show their window's port, and the events
// the toolkit sends their class handlers: draw, activation, owner change,
// and a click's hit test, track and hit.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <bit>
#include <cstring>

#include "toolkit/ToolkitInternal.h"

namespace {

// Mouse and key modifiers as the events carry them.
UInt32 ModifiersOf(Qt::KeyboardModifiers keys) {
    UInt32 m = 0;
    if (keys & Qt::ShiftModifier) m |= shiftKey;
    if (keys & (Qt::AltModifier | Qt::ControlModifier)) m |= optionKey;
    if (keys & Qt::MetaModifier) m |= cmdKey;
    return m;
}

class CustomControlWidget final : public QWidget {
public:
    CustomControlWidget(QWidget* parent, ToolboxObjectClassRef cls) : QWidget(parent), class_(cls) {
        mvtk::RetainClass(cls);
    }
    ~CustomControlWidget() override { mvtk::ReleaseClass(class_); }
    ToolboxObjectClassRef customClass() const { return class_; }
    ControlRef control = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // A drag's moves and release are the tracking's, not the parent's.
    void mouseMoveEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }

private:
    ToolboxObjectClassRef class_;
};

// The part of the window's port under the control, shown opaque: the alpha
// byte of what is drawn there carries no meaning.
void CustomControlWidget::paintEvent(QPaintEvent* event) {
    if (!control || !control->owner || !control->owner->port) return;
    GWorldPtr port = control->owner->port;
    PixMapHandle pm = GetGWorldPixMap(port);
    Rect bounds;
    GetPortBounds(port, &bounds);
    const QPoint at = mapTo(window(), QPoint(0, 0));
    const QRect area = event->rect().translated(at).intersected(QRect(0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top));
    if (area.isEmpty()) return;
    QImage image(area.size(), QImage::Format_RGB32);
    const auto* base = reinterpret_cast<const UInt8*>(GetPixBaseAddr(pm));
    const long rowBytes = GetPixRowBytes(pm);
    for (int y = 0; y < area.height(); ++y) {
        // Bytes A, R, G, B read as one big-endian number are Qt's 0xAARRGGBB.
        const UInt8* from = base + (area.top() + y) * rowBytes + area.left() * 4;
        auto* to = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            quint32 word;
            std::memcpy(&word, from + 4 * x, 4);
            if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
            to[x] = word | 0xFF000000u;
        }
    }
    QPainter(this).drawImage(area.topLeft() - at, image);
}

void CustomControlWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !control || !control->owner || !control->owner->widget) return;
    const QPoint p = mapTo(window(), event->position().toPoint());
    mvtk::ClickCustomControl(control, Point{static_cast<SInt16>(p.y()), static_cast<SInt16>(p.x())},
                             ModifiersOf(event->modifiers()));
}

CustomControlWidget* WidgetOf(ControlRef c) { return c ? dynamic_cast<CustomControlWidget*>(c->widget.data()) : nullptr; }

bool Showing(ControlRef c) {
    return WidgetOf(c) && c->owner && c->owner->port && !c->owner->disposed && !c->widget->isHidden();
}

// Sends a control event of `kind`; `standard` runs when nobody handled it.
// Handlers find their window's port current, as in its own event dispatch.
OSStatus Send(ControlRef c, UInt32 kind, OpaqueEventRef& event, OSStatus (*standard)(EventRef, void*) = nullptr,
              void* data = nullptr) {
    event.eventClass = kEventClassControl;
    event.eventKind = kind;
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    if (c->owner && c->owner->port) SetGWorld(c->owner->port, nullptr);
    const OSStatus result = mvtk::SendControlEvent(c, &event, standard, data);
    SetGWorld(savedPort, savedDevice);
    return result;
}

OSStatus Send(ControlRef c, UInt32 kind) {
    OpaqueEventRef event{};
    return Send(c, kind, event);
}

OSStatus DrawAfter(EventRef, void* control) {
    mvtk::DrawCustomControl(static_cast<ControlRef>(control));
    return noErr;
}

SInt16 HitTest(ControlRef c, Point where) {
    OpaqueEventRef event{};
    SetEventParameter(&event, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
    if (Send(c, kEventControlHitTest, event) != noErr) return kControlNoPart;
    ControlPartCode part = kControlNoPart;
    GetEventParameter(&event, kEventParamControlPart, typeControlPartCode, nullptr, sizeof part, nullptr, &part);
    return part;
}

void Hilite(ControlRef c, UInt16 part) {
    if (c->hilite == part) return;
    c->hilite = part;
    mvtk::DrawCustomControl(c);
}

// The toolkit's own tracking: the part is hilited while the mouse is over it;
// the result is the part under the mouse at the release.
SInt16 TrackStandard(ControlRef c, SInt16 part) {
    Hilite(c, static_cast<UInt16>(part));
    Point where{};
    MouseTrackingResult result = kMouseTrackingMouseDown;
    while (result != kMouseTrackingMouseUp && c->owner && c->owner->port && !c->owner->disposed) {
        TrackMouseLocation(c->owner->port, &where, &result);
        const SInt16 now = HitTest(c, where);
        Hilite(c, static_cast<UInt16>(now == part ? part : 0));
    }
    const SInt16 ended = c->hilite ? part : SInt16{kControlNoPart};
    Hilite(c, 0);
    return ended;
}

OSStatus SendCommandOf(EventRef, void* control) {
    auto c = static_cast<ControlRef>(control);
    mvtk::SendCommand(c->owner, c->command, c);
    return noErr;
}

}  // namespace

namespace mvtk {

QWidget* NewCustomControlWidget(QWidget* parent, ToolboxObjectClassRef cls) { return new CustomControlWidget(parent, cls); }

ToolboxObjectClassRef CustomClassOf(QWidget* widget) {
    auto* custom = dynamic_cast<CustomControlWidget*>(widget);
    return custom ? custom->customClass() : nullptr;
}

void AttachCustomControl(ControlRef control) {
    if (auto* w = WidgetOf(control)) {
        w->control = control;
        control->customClass = w->customClass();
    }
}

void DetachCustomControl(ControlRef control) {
    if (auto* w = WidgetOf(control)) w->control = nullptr;
}

void AnnounceOwner(ControlRef c) {
    if (!Showing(c)) return;
    OpaqueEventRef event{};
    Send(c, kEventControlOwningWindowChanged, event, DrawAfter, c);
}

void DrawCustomControl(ControlRef c) {
    if (!Showing(c)) return;
    Send(c, kEventControlDraw);
    c->widget->update();
}

bool IsActive(WindowRef w) {
    QWidget* modal = QApplication::activeModalWidget();
    return w->widget && !(modal && modal != w->widget);
}

void UpdateActivation() {
    for (WindowRef w : LiveWindows()) {
        const bool active = IsActive(w);
        if (!w->widget || active == w->active) continue;
        w->active = active;
        for (auto& c : w->controls) {
            if (!Showing(c.get())) continue;
            OpaqueEventRef event{};
            Send(c.get(), active ? kEventControlActivate : kEventControlDeactivate, event, DrawAfter, c.get());
        }
    }
}

int ExecModal(QDialog& dialog) {
    // Once it is up, the windows under it are told; once it has gone, again.
    QTimer::singleShot(0, &dialog, [] { UpdateActivation(); });
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
    const int result = dialog.exec();
    UpdateActivation();
    return result;
}

void ShowPort(WindowRef window) {
    for (auto& c : window->controls)
        if (Showing(c.get())) c->widget->update();
}

void ClickCustomControl(ControlRef c, Point where, UInt32 modifiers) {
    WindowRef window = c->owner;
    // The mouse belongs to the click under way until its release.
    if (window->busy > 0) return;
    ++window->busy;
    SInt16 part = HitTest(c, where);
    if (part == kControlNoPart || window->disposed) {
        --window->busy;
        return FreeWindowIfDone(window);
    }
    window->lastMouse = where;
    BeginTracking(window);
    OpaqueEventRef track{};
    SetEventParameter(&track, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
    SetEventParameter(&track, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
    SetEventParameter(&track, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
    if (Send(c, kEventControlTrack, track) == eventNotHandledErr) part = TrackStandard(c, part);
    else GetEventParameter(&track, kEventParamControlPart, typeControlPartCode, nullptr, sizeof part, nullptr, &part);
    EndTracking(window);
    ShowPort(window);
    if (part != kControlNoPart && !window->disposed) {
        OpaqueEventRef hit{};
        SetEventParameter(&hit, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
        SetEventParameter(&hit, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
        Send(c, kEventControlHit, hit, c->command ? SendCommandOf : nullptr, c);
    }
    --window->busy;
    FreeWindowIfDone(window);
}

}  // namespace mvtk
