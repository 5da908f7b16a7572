// Inside the toolkit library only: the records behind window, control,
// event and class references, on Qt widgets.
#pragma once

#include <QPointer>
#include <QWidget>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/CarbonEvents.h"
#include "toolkit/Controls.h"
#include "toolkit/MacWindows.h"

class QDialog;
class QEventLoop;

namespace mvtk {

struct Handler {
    EventHandlerUPP proc;
    std::vector<EventTypeSpec> types;
    void* userData;
    EventTargetRef target;
};

// A window's, a control's or a class's handlers, newest first when called.
// A handler removed while its target dispatches is only marked (proc null)
// and dropped once the dispatch is over.
struct Target {
    std::vector<std::unique_ptr<Handler>> handlers;  // in the order installed
    int dispatching = 0;
};

// How a control's value and text are kept.
enum class ControlKind { Button, CheckBox, PopUp, Slider, StaticText, EditText, Custom, Other };

}  // namespace mvtk

struct OpaqueEventTargetRef {
    mvtk::Target target;
};

struct OpaqueToolboxObjectClassRef {
    std::string identifier;
    std::vector<EventTypeSpec> events;
    EventHandlerUPP handler;
    void* userData;
    bool registered = true;
    int controls = 0;  // live controls made from it: an unregistered record goes with the last
};

struct OpaqueControlRef {
    QPointer<QWidget> widget;
    WindowRef owner = nullptr;
    mvtk::ControlKind kind = mvtk::ControlKind::Other;
    OSType signature = 0;
    SInt32 id = 0;
    UInt32 command = 0;
    // Where Qt keeps no value: custom controls and the rest.
    SInt32 value = 0, minimum = 0, maximum = 0;
    ToolboxObjectClassRef customClass = nullptr;
    UInt16 hilite = 0;  // the part pressed, 0 for none
    ControlActionUPP action = nullptr;
    bool settingValue = false;  // the program, not the user, moves it
    OpaqueEventTargetRef events;
};

namespace mvtk {

struct MouseStep {
    Point where;  // in the window's port
    MouseTrackingResult result;
};

}  // namespace mvtk

struct OpaqueWindowPtr {
    QPointer<QWidget> widget;
    GWorldPtr port = nullptr;
    std::vector<std::unique_ptr<OpaqueControlRef>> controls;
    std::map<std::pair<OSType, SInt32>, ControlRef> byID;
    OpaqueEventTargetRef events;
    QEventLoop* modalLoop = nullptr;
    std::unique_ptr<QObject> filter;  // keys and the title bar's close
    bool active = true;               // no other window's modal loop runs over it
    // Mouse tracking: what came in since the last wait, and the wait itself.
    std::unique_ptr<QObject> tracker;
    std::deque<mvtk::MouseStep> mouseSteps;
    int trackers = 0;
    QEventLoop* trackLoop = nullptr;
    Point lastMouse{0, 0};
    int busy = 0;          // clicks under way on its controls
    bool disposed = false;  // freed once no loop, click or dispatch still runs on it
};

struct OpaqueEventRef {
    UInt32 eventClass;
    UInt32 eventKind;
    std::map<EventParamName, std::pair<EventParamType, std::vector<UInt8>>> params;
};

namespace mvtk {

// Makes the application object the first time a window is needed, as a
// running platform already has one; false (with one line on standard error)
// where no display can be opened.
bool EnsureApplication();

// Delivers the event to the target's handlers, newest first, then to
// `standard` when every handler passed it on.
OSStatus Dispatch(OpaqueEventTargetRef& target, EventRef event, OSStatus (*standard)(EventRef, void*),
                  void* standardData);

// Sends command `commandID` from `control` to its window's handlers.
void SendCommand(WindowRef window, UInt32 commandID, ControlRef control);

// Frees a disposed window once nothing runs on it any more.
void FreeWindowIfDone(WindowRef window);

// Every window made and not yet freed.
std::vector<WindowRef>& LiveWindows();

// Custom controls (CustomControls.cpp): the widget that stands for an
// instance of `cls`, the class a widget stands for (null for any other
// widget), and the control record a custom widget reports to.
QWidget* NewCustomControlWidget(QWidget* parent, ToolboxObjectClassRef cls);
ToolboxObjectClassRef CustomClassOf(QWidget* widget);
void AttachCustomControl(ControlRef control);
void DetachCustomControl(ControlRef control);
// The first drawing of a new window's custom controls, once it has a port.
void AnnounceOwner(ControlRef control);
// Sends draw and shows the result.
void DrawCustomControl(ControlRef control);
// Whether no other window's modal loop runs over the window; and, since a
// modal window came or went, activate or deactivate to the custom controls
// of windows whose activity changed.
bool IsActive(WindowRef window);
void UpdateActivation();
// Runs a modal Qt dialog, the toolkit's windows under it made inactive meanwhile.
int ExecModal(QDialog& dialog);
// A mouse-down at `where` (window coordinates) on a custom control.
void ClickCustomControl(ControlRef control, Point where, UInt32 modifiers);
// Shows what has been drawn into the window's port under its custom controls.
void ShowPort(WindowRef window);
// Mouse tracking (Tracking.cpp): while begun, the window's mouse events are
// kept for TrackMouseLocation.
void BeginTracking(WindowRef window);
void EndTracking(WindowRef window);

// Sends a control event to the control's handlers, then its class's, then
// `standard` when all passed it on.
OSStatus SendControlEvent(ControlRef control, EventRef event, OSStatus (*standard)(EventRef, void*),
                          void* standardData);

// The registered class with this identifier, or null.
ToolboxObjectClassRef FindClass(const std::string& identifier);
// A control made from a class, and one gone.
void RetainClass(ToolboxObjectClassRef cls);
void ReleaseClass(ToolboxObjectClassRef cls);
// How many class records the toolkit holds, registered or still in use.
MV_API std::size_t ClassRecordCount();  // exported for the tests

// Text between the platform's encodings and Qt's (Text.cpp): a string's
// text as UTF-8 ("" for none); Mac Roman bytes, as control data and
// prompts carry text, as Qt's text, and Qt's text back ("" where a
// character has no Mac Roman byte).
std::string UTF8Of(CFStringRef text);
QString TextOfMacRoman(const char* bytes, std::size_t size);
std::string MacRomanOf(const QString& text);

// Four characters from a property's text, most significant byte first.
OSType FourCharCodeOf(const QString& text);

}  // namespace mvtk
