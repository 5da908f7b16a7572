// Events, handler chains and custom control classes.
#include <algorithm>
#include <cstring>

#include "system/CFString.h"
#include "toolkit/ToolkitInternal.h"

struct OpaqueEventHandlerRef {};  // a Handler's address stands for it

// Where a handler stands in its chain, so it can pass the event on.
struct OpaqueEventHandlerCallRef {
    OpaqueEventTargetRef* target;
    std::size_t next;  // index of the next handler to try, counting down
    OSStatus (*standard)(EventRef, void*);
    void* standardData;
};

namespace {

std::vector<std::unique_ptr<OpaqueToolboxObjectClassRef>>& Classes() {
    static std::vector<std::unique_ptr<OpaqueToolboxObjectClassRef>> classes;
    return classes;
}

bool Lists(const std::vector<EventTypeSpec>& types, EventRef event) {
    return std::any_of(types.begin(), types.end(), [&](const EventTypeSpec& t) {
        return t.eventClass == event->eventClass && t.eventKind == event->eventKind;
    });
}

// Calls the handlers below `from` (newest first) until one handles the event.
OSStatus RunChain(OpaqueEventHandlerCallRef& call, EventRef event) {
    auto& handlers = call.target->target.handlers;
    while (call.next > 0) {
        mvtk::Handler& h = *handlers[--call.next];
        if (!h.proc || !Lists(h.types, event)) continue;
        const OSStatus result = h.proc(&call, event, h.userData);
        if (result != eventNotHandledErr) return result;
    }
    return call.standard ? call.standard(event, call.standardData) : OSStatus{eventNotHandledErr};
}

// A control's class handler comes after the control's own handlers and
// before the toolkit's standard handling.
struct ClassStep {
    ControlRef control;
    OSStatus (*standard)(EventRef, void*);
    void* standardData;
};

OSStatus ClassThenStandard(EventRef event, void* data) {
    const auto& step = *static_cast<ClassStep*>(data);
    ToolboxObjectClassRef cls = step.control->customClass;
    if (cls && cls->registered && Lists(cls->events, event)) {
        OpaqueEventTargetRef none;  // passing on from the class reaches the standard handling
        OpaqueEventHandlerCallRef call{&none, 0, nullptr, nullptr};
        const OSStatus result = cls->handler(&call, event, cls->userData);
        if (result != eventNotHandledErr) return result;
    }
    return step.standard ? step.standard(event, step.standardData) : OSStatus{eventNotHandledErr};
}

}  // namespace

namespace mvtk {

OSStatus SendControlEvent(ControlRef control, EventRef event, OSStatus (*standard)(EventRef, void*),
                          void* standardData) {
    SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof control, &control);
    ClassStep step{control, standard, standardData};
    return Dispatch(control->events, event, ClassThenStandard, &step);
}

OSStatus Dispatch(OpaqueEventTargetRef& target, EventRef event, OSStatus (*standard)(EventRef, void*),
                  void* standardData) {
    OpaqueEventHandlerCallRef call{&target, target.target.handlers.size(), standard, standardData};
    ++target.target.dispatching;
    const OSStatus result = RunChain(call, event);
    if (--target.target.dispatching == 0)
        std::erase_if(target.target.handlers, [](const auto& h) { return !h->proc; });
    return result;
}

void SendCommand(WindowRef window, UInt32 commandID, ControlRef control) {
    if (!window || commandID == 0) return;
    OpaqueEventRef event{kEventClassCommand, kEventCommandProcess, {}};
    HICommand command{};
    command.attributes = control ? kHICommandFromControl : 0;
    command.commandID = commandID;
    SetEventParameter(&event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
    Dispatch(window->events, &event, nullptr, nullptr);
    FreeWindowIfDone(window);  // a handler may have disposed of it
}

ToolboxObjectClassRef FindClass(const std::string& identifier) {
    for (auto& c : Classes())
        if (c->registered && c->identifier == identifier) return c.get();
    return nullptr;
}

namespace {

// An unregistered record no control uses any more is let go.
void ForgetIfUnused(ToolboxObjectClassRef cls) {
    if (cls->registered || cls->controls > 0) return;
    std::erase_if(Classes(), [cls](const auto& c) { return c.get() == cls; });
}

}  // namespace

void RetainClass(ToolboxObjectClassRef cls) {
    if (cls) ++cls->controls;
}

void ReleaseClass(ToolboxObjectClassRef cls) {
    if (!cls) return;
    --cls->controls;
    ForgetIfUnused(cls);
}

std::size_t ClassRecordCount() { return Classes().size(); }

OSType FourCharCodeOf(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    OSType code = 0;
    for (int i = 0; i < 4; ++i) code = (code << 8) | static_cast<UInt8>(i < bytes.size() ? bytes[i] : ' ');
    return code;
}

}  // namespace mvtk

extern "C" {

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine) { return userRoutine; }

void DisposeEventHandlerUPP(EventHandlerUPP) {}

EventTargetRef GetWindowEventTarget(WindowRef window) { return window ? &window->events : nullptr; }

EventTargetRef GetControlEventTarget(ControlRef control) { return control ? &control->events : nullptr; }

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, UInt32 numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef) {
    if (!target || !handler || (numTypes > 0 && !list)) return paramErr;
    auto h = std::make_unique<mvtk::Handler>(mvtk::Handler{handler, {list, list + numTypes}, userData, target});
    if (outRef) *outRef = reinterpret_cast<EventHandlerRef>(h.get());
    target->target.handlers.push_back(std::move(h));
    return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handler) {
    auto* h = reinterpret_cast<mvtk::Handler*>(handler);
    if (!h || !h->target) return paramErr;
    mvtk::Target& target = h->target->target;
    const auto at = std::find_if(target.handlers.begin(), target.handlers.end(), [&](const auto& p) { return p.get() == h; });
    if (at == target.handlers.end() || !h->proc) return paramErr;
    if (target.dispatching > 0) h->proc = nullptr;  // the chain being run keeps its places
    else target.handlers.erase(at);
    return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent) {
    if (!inCallRef || !inEvent) return paramErr;
    return RunChain(*inCallRef, inEvent);
}

UInt32 GetEventClass(EventRef event) { return event ? event->eventClass : 0; }

UInt32 GetEventKind(EventRef event) { return event ? event->eventKind : 0; }

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, UInt32 bufferSize, UInt32* outActualSize, void* outData) {
    if (!event) return paramErr;
    const auto at = event->params.find(name);
    if (at == event->params.end()) return eventParameterNotFoundErr;
    const auto& [type, bytes] = at->second;
    if (outActualType) *outActualType = type;
    if (outActualSize) *outActualSize = static_cast<UInt32>(bytes.size());
    if (desiredType != type) return errEventParameterTypeMismatch;
    if (outData) std::memcpy(outData, bytes.data(), std::min<std::size_t>(bufferSize, bytes.size()));
    return noErr;
}

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, UInt32 size, const void* data) {
    if (!event || (size > 0 && !data)) return paramErr;
    const auto* bytes = static_cast<const UInt8*>(data);
    event->params[name] = {type, std::vector<UInt8>(bytes, bytes + size)};
    return noErr;
}

OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef, UInt32 numEvents,
                                    const EventTypeSpec* eventList, EventHandlerUPP eventHandler,
                                    void* eventHandlerData, ToolboxObjectClassRef* outClassRef) {
    const std::string identifier = mvtk::UTF8Of(classID);
    if (identifier.empty() || !eventHandler || (numEvents > 0 && !eventList)) return paramErr;
    if (mvtk::FindClass(identifier)) return errToolboxObjectClassExists;
    auto c = std::make_unique<OpaqueToolboxObjectClassRef>(OpaqueToolboxObjectClassRef{
        identifier, {eventList, eventList + numEvents}, eventHandler, eventHandlerData});
    if (outClassRef) *outClassRef = c.get();
    Classes().push_back(std::move(c));
    return noErr;
}

OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef classRef) {
    // The record stays while controls made from it are still on their way out.
    for (auto& c : Classes()) {
        if (c.get() != classRef || !c->registered) continue;
        c->registered = false;
        mvtk::ForgetIfUnused(classRef);
        return noErr;
    }
    return errToolboxObjectClassNotFound;
}

}  // extern "C"
