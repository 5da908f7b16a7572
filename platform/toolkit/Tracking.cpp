// Mouse tracking: a drag's events, kept in order by a filter on the window
// and handed out one at a time to a handler that waits for them.
#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include <algorithm>
#include <utility>

#include "quickdraw/QDPort.h"
#include "toolkit/ToolkitInternal.h"

namespace {

bool IsModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Control || key == Qt::Key_Meta;
}

// Watches the window's native window: every mouse event reaches it once,
// in window coordinates, whichever widget is under the mouse.
class MouseTracker final : public QObject {
public:
    explicit MouseTracker(WindowRef window) : window_(window) {
        if (QWindow* native = window->widget ? window->widget->windowHandle() : nullptr) {
            native_ = native;
            native->installEventFilter(this);
        }
    }
    ~MouseTracker() override {
        if (native_) native_->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        MouseTrackingResult result = 0;
        Point where = window_->lastMouse;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove: {
            // The primary button alone makes and ends a drag; the others are not heard.
            auto* mouse = static_cast<QMouseEvent*>(event);
            const bool down = mouse->buttons() & Qt::LeftButton;
            if (event->type() != QEvent::MouseMove && mouse->button() != Qt::LeftButton) break;
            const QPoint p = mouse->position().toPoint();
            where = Point{static_cast<SInt16>(p.y()), static_cast<SInt16>(p.x())};
            result = event->type() == QEvent::MouseMove ? (down ? kMouseTrackingMouseDragged : kMouseTrackingMouseMoved)
                     : event->type() == QEvent::MouseButtonRelease ? kMouseTrackingMouseUp
                                                                   : kMouseTrackingMouseDown;
            break;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            if (IsModifierKey(static_cast<QKeyEvent*>(event)->key())) result = kMouseTrackingKeyModifiersChanged;
            break;
        default: break;
        }
        if (result) {
            window_->lastMouse = where;
            window_->mouseSteps.push_back({where, result});
            if (window_->trackLoop) window_->trackLoop->exit(0);
        }
        return false;  // only watched: the widgets see their events as ever
    }

private:
    WindowRef window_;
    QPointer<QWindow> native_;
};

WindowRef WindowOfPort(GrafPtr port) {
    const auto& windows = mvtk::LiveWindows();
    const auto at = std::find_if(windows.begin(), windows.end(), [&](WindowRef w) { return w->port && w->port == port; });
    return at == windows.end() ? nullptr : *at;
}

}  // namespace

namespace mvtk {

void BeginTracking(WindowRef window) {
    if (window->trackers++ == 0) {
        window->mouseSteps.clear();
        window->tracker = std::make_unique<MouseTracker>(window);
    }
}

void EndTracking(WindowRef window) {
    if (--window->trackers > 0) return;
    window->tracker.reset();
    window->mouseSteps.clear();
}

}  // namespace mvtk

extern "C" OSStatus TrackMouseLocation(GrafPtr inPort, Point* outPt, MouseTrackingResult* outResult) {
    if (!outPt || !outResult) return paramErr;
    if (!inPort) GetPort(&inPort);
    WindowRef window = WindowOfPort(inPort);
    if (!window) {
        *outResult = kMouseTrackingMouseUp;  // a caller waiting for the release must not wait for ever
        return paramErr;
    }
    mvtk::BeginTracking(window);
    mvtk::ShowPort(window);
    while (window->mouseSteps.empty()) {
        if (window->disposed || !window->widget || QGuiApplication::mouseButtons() == Qt::NoButton) {
            window->mouseSteps.push_back({window->lastMouse, kMouseTrackingMouseUp});
            break;
        }
        QEventLoop loop;
        QEventLoop* outer = std::exchange(window->trackLoop, &loop);
        if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
        loop.exec();
        window->trackLoop = outer;
    }
    const mvtk::MouseStep step = window->mouseSteps.front();
    window->mouseSteps.pop_front();
    mvtk::EndTracking(window);
    *outPt = step.where;
    *outResult = step.result;
    return noErr;
}
