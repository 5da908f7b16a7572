// Inside the toolkit library only: the records behind window, control,
// event and class references, on Qt widgets.
#pragma once

#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/CarbonEvents.h"
#include "toolkit/Controls.h"
#include "toolkit/MacWindows.h"

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
    OpaqueEventTargetRef events;
};

struct OpaqueWindowPtr {
    QPointer<QWidget> widget;
    GWorldPtr port = nullptr;
    std::vector<std::unique_ptr<OpaqueControlRef>> controls;
    std::map<std::pair<OSType, SInt32>, ControlRef> byID;
    OpaqueEventTargetRef events;
    QEventLoop* modalLoop = nullptr;
    std::unique_ptr<QObject> filter;  // keys and the title bar's close
    bool disposed = false;            // freed once no loop or dispatch still runs on it
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

// The registered class with this identifier, or null.
ToolboxObjectClassRef FindClass(const std::string& identifier);

// A string's text as UTF-8; "" for none.
std::string UTF8Of(CFStringRef text);

// Four characters from a property's text, most significant byte first.
OSType FourCharCodeOf(const QString& text);

}  // namespace mvtk
