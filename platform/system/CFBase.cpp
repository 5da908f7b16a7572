#include "system/CFRuntime.h"

CFTypeRef CFRetain(CFTypeRef cf) {
    if (cf) const_cast<MVCFObject*>(MVCFObjectOf(cf))->retainCount.fetch_add(1, std::memory_order_relaxed);
    return cf;
}

void CFRelease(CFTypeRef cf) {
    if (!cf) return;
    auto* object = const_cast<MVCFObject*>(MVCFObjectOf(cf));
    if (object->retainCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete object;
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
    return cf ? MVCFObjectOf(cf)->retainCount.load(std::memory_order_relaxed) : 0;
}
