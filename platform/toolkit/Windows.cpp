// Windows from interface files: Qt Designer files loaded at run time, their
// controls registered by signature and id, their commands, keys, title-bar
// close, ports and modal loops.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QUiLoader>

#include <cstring>
#include <limits>
#include <vector>

#include "system/CFURL.h"
#include "toolkit/IBCarbonRuntime.h"
#include "toolkit/ToolkitInternal.h"

struct OpaqueIBNibRef {
    QString folder;  // Resources/NAME.nib
};

namespace {

constexpr UInt32 kCancelCommand = MV_FOURCC('n', 'o', 't', '!');

// Creates registered custom controls for their class names; any other name
// Qt does not know is remembered as the window's fault.
class NibLoader final : public QUiLoader {
public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        if (ToolboxObjectClassRef cls = mvtk::FindClass(className.toStdString())) {
            QWidget* w = mvtk::NewCustomControlWidget(parent, cls);
            w->setObjectName(name);
            return w;
        }
        QWidget* w = availableWidgets().contains(className) ? QUiLoader::createWidget(className, parent, name)
                                                            : nullptr;
        if (!w) {
            unknownClass = className;
            w = new QWidget(parent);
            w->setObjectName(name);
        }
        return w;
    }
    QString unknownClass;
};

mvtk::ControlKind KindOf(QWidget* w) {
    using K = mvtk::ControlKind;
    if (mvtk::CustomClassOf(w)) return K::Custom;
    if (qobject_cast<QPushButton*>(w)) return K::Button;
    if (qobject_cast<QCheckBox*>(w)) return K::CheckBox;
    if (qobject_cast<QComboBox*>(w)) return K::PopUp;
    if (qobject_cast<QSlider*>(w)) return K::Slider;
    if (qobject_cast<QLabel*>(w)) return K::StaticText;
    if (qobject_cast<QLineEdit*>(w)) return K::EditText;
    return K::Other;
}

// A slider runs its action procedure for each movement: the signal comes
// with the new position set and before the value follows it.
void ConnectAction(ControlRef control) {
    auto* slider = qobject_cast<QSlider*>(control->widget.data());
    if (!slider) return;
    QObject::connect(slider, &QAbstractSlider::actionTriggered, [control] {
        if (control->action && !control->settingValue) control->action(control, kControlIndicatorPart);
    });
}

// Buttons, the pop-up menu and the check box send their commands.
void ConnectCommand(WindowRef window, ControlRef control) {
    QWidget* w = control->widget;
    auto send = [window, control] { mvtk::SendCommand(window, control->command, control); };
    if (auto* button = qobject_cast<QAbstractButton*>(w)) QObject::connect(button, &QAbstractButton::clicked, send);
    else if (auto* menu = qobject_cast<QComboBox*>(w)) QObject::connect(menu, &QComboBox::activated, send);
}

void RegisterControls(WindowRef window) {
    std::vector<QWidget*> widgets{window->widget};
    for (QWidget* w : window->widget->findChildren<QWidget*>()) widgets.push_back(w);
    for (QWidget* w : widgets) {
        const QVariant signature = w->property("signature");
        const QVariant command = w->property("command");
        if (!signature.isValid() && !command.isValid()) continue;
        auto control = std::make_unique<OpaqueControlRef>();
        control->widget = w;
        control->owner = window;
        control->kind = KindOf(w);
        control->signature = signature.isValid() ? mvtk::FourCharCodeOf(signature.toString()) : 0;
        control->id = w->property("id").toInt();
        control->command = command.isValid() ? mvtk::FourCharCodeOf(command.toString()) : 0;
        control->minimum = w->property("minimum").isValid() ? w->property("minimum").toInt() : 0;
        control->maximum = w->property("maximum").isValid() ? w->property("maximum").toInt() : 0;
        mvtk::AttachCustomControl(control.get());
        if (control->command) ConnectCommand(window, control.get());
        ConnectAction(control.get());
        if (control->signature) window->byID.emplace(std::make_pair(control->signature, control->id), control.get());
        window->controls.push_back(std::move(control));
    }
}

QAbstractButton* ButtonSending(WindowRef window, UInt32 command) {
    for (auto& c : window->controls)
        if (c->command == command)
            if (auto* b = qobject_cast<QAbstractButton*>(c->widget.data())) return b;
    return nullptr;
}

// Return presses the default button, Escape the cancel button, and the title
// bar's close sends the cancel command rather than destroying the window.
// Keys are taken before any control of the window sees them.
class WindowKeeper final : public QObject {
public:
    explicit WindowKeeper(WindowRef window) : window_(window) { qApp->installEventFilter(this); }
    ~WindowKeeper() override {
        if (qApp) qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        QWidget* w = window_->widget;
        if (!w) return false;
        if (object == w && event->type() == QEvent::Close) {
            event->ignore();
            cancel();
            return true;
        }
        if (event->type() != QEvent::KeyPress || !object->isWidgetType() ||
            static_cast<QWidget*>(object)->window() != w)
            return false;
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: pressDefault(); return true;
        case Qt::Key_Escape: cancel(); return true;
        default: return false;
        }
    }

private:
    void pressDefault() {
        for (QPushButton* b : window_->widget->findChildren<QPushButton*>())
            if (b->isDefault() && b->isVisible() && b->isEnabled()) return b->click();
    }
    void cancel() {
        if (QAbstractButton* b = ButtonSending(window_, kCancelCommand)) {
            if (b->isEnabled()) b->click();
            return;
        }
        mvtk::SendCommand(window_, kCancelCommand, nullptr);
    }
    WindowRef window_;
};

void MakePort(WindowRef window) {
    const QSize size = window->widget->size();
    Rect bounds{0, 0, static_cast<SInt16>(size.height()), static_cast<SInt16>(size.width())};
    if (NewGWorld(&window->port, 32, &bounds, nullptr, nullptr, 0) != noErr) {
        window->port = nullptr;
        return;
    }
    PixMapHandle pm = GetGWorldPixMap(window->port);
    std::memset(GetPixBaseAddr(pm), 0xFF, static_cast<std::size_t>(GetPixRowBytes(pm)) * size.height());
}

void FreeWindow(WindowRef window) {
    std::erase(mvtk::LiveWindows(), window);
    if (window->port) DisposeGWorld(window->port);
    delete window;
}

}  // namespace

namespace mvtk {

std::vector<WindowRef>& LiveWindows() {
    static std::vector<WindowRef> windows;
    return windows;
}

void FreeWindowIfDone(WindowRef window) {
    if (window->disposed && !window->modalLoop && !window->trackLoop && window->busy == 0 &&
        window->events.target.dispatching == 0)
        FreeWindow(window);
}

}  // namespace mvtk

extern "C" {

OSStatus CreateNibReferenceWithCFBundle(CFBundleRef inBundle, CFStringRef inNibName, IBNibRef* outNibRef) {
    if (!inBundle || !inNibName || !outNibRef) return paramErr;
    *outNibRef = nullptr;
    if (!mvtk::EnsureApplication()) return kMVNoDisplayErr;
    CFStringRef type = CFStringCreateWithCString(kCFAllocatorDefault, "nib", kCFStringEncodingUTF8);
    CFURLRef url = CFBundleCopyResourceURL(inBundle, inNibName, type, nullptr);
    CFRelease(type);
    if (!url) return kIBCarbonRuntimeCantFindNibFile;
    char path[4096];
    const Boolean found = CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), sizeof path);
    CFRelease(url);
    if (!found || !QDir(QString::fromUtf8(path)).exists()) return kIBCarbonRuntimeCantFindNibFile;
    *outNibRef = new OpaqueIBNibRef{QString::fromUtf8(path)};
    return noErr;
}

void DisposeNibReference(IBNibRef inNibRef) { delete inNibRef; }

OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef* outWindow) {
    if (!inNibRef || !inName || !outWindow) return paramErr;
    *outWindow = nullptr;
    QFile file(inNibRef->folder + "/" + QString::fromStdString(mvtk::UTF8Of(inName)) + ".ui");
    if (!file.open(QIODevice::ReadOnly)) return kIBCarbonRuntimeCantFindObject;
    NibLoader loader;
    QWidget* widget = loader.load(&file);
    if (!widget) return kIBCarbonRuntimeCantFindObject;
    if (!loader.unknownClass.isEmpty()) {
        delete widget;
        return errToolboxObjectClassNotFound;
    }
    auto* window = new OpaqueWindowPtr;
    window->widget = widget;
    // Every window here is a dialog: modal to the whole application while up.
    widget->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    widget->setWindowModality(Qt::ApplicationModal);
    widget->setFixedSize(widget->size());
    RegisterControls(window);
    window->filter = std::make_unique<WindowKeeper>(window);
    MakePort(window);
    if (!window->port) {
        delete widget;
        delete window;
        return memFullErr;
    }
    window->active = mvtk::IsActive(window);
    mvtk::LiveWindows().push_back(window);
    for (auto& c : window->controls) mvtk::AnnounceOwner(c.get());
    *outWindow = window;
    return noErr;
}

void ShowWindow(WindowRef window) {
    if (!window || !window->widget) return;
    window->widget->show();
    mvtk::UpdateActivation();
}

void HideWindow(WindowRef window) {
    if (!window || !window->widget) return;
    window->widget->hide();
    mvtk::UpdateActivation();
}

Boolean IsWindowVisible(WindowRef window) { return window && window->widget && window->widget->isVisible(); }

void BringToFront(WindowRef window) {
    if (!window || !window->widget) return;
    // Off screen there is no stacking to change (and Qt says so on every call).
    if (QGuiApplication::platformName() != QStringLiteral("offscreen")) window->widget->raise();
    window->widget->activateWindow();
}

void DisposeWindow(WindowRef window) {
    if (!window || window->disposed) return;
    window->disposed = true;
    if (QWidget* w = window->widget) {
        window->filter.reset();  // its own hiding and closing are not the user's cancel
        w->hide();
        // Its controls speak to this record no more; the widgets go later, since
        // a handler of one of its own controls may be what disposes of it.
        for (auto& c : window->controls) {
            if (!c->widget) continue;
            QObject::disconnect(c->widget, nullptr, nullptr, nullptr);
            mvtk::DetachCustomControl(c.get());
        }
        window->tracker.reset();
        w->deleteLater();
    }
    window->widget = nullptr;
    if (window->modalLoop) window->modalLoop->exit(0);
    if (window->trackLoop) window->trackLoop->exit(0);
    mvtk::UpdateActivation();
    // Freed now, or when the loop or the dispatch running on it has ended.
    mvtk::FreeWindowIfDone(window);
}

CGrafPtr GetWindowPort(WindowRef window) { return window ? window->port : nullptr; }

void SetPortWindowPort(WindowRef window) {
    if (window && window->port) SetGWorld(window->port, nullptr);
}

OSStatus RunAppModalLoopForWindow(WindowRef window) {
    if (!window || !window->widget) return errInvalidWindowRef;
    if (window->modalLoop) return errWindowAlreadyModal;
    QEventLoop loop;
    window->modalLoop = &loop;
    // Without a wake-up, events posted before a nested loop starts can wait
    // under glib's dispatcher until something else stirs it.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
    loop.exec();
    window->modalLoop = nullptr;
    mvtk::FreeWindowIfDone(window);  // disposed of while its loop ran
    return noErr;
}

OSStatus QuitAppModalLoopForWindow(WindowRef window) {
    if (!window || !window->modalLoop) return errInvalidWindowRef;
    window->modalLoop->exit(0);
    return noErr;
}

}  // extern "C"
