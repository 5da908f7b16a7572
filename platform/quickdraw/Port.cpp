// The current port and device, and the port's colours and bounds.
#include "quickdraw/QDPort.h"

namespace {

// Each thread's own (the original platform had one thread that drew), so
// frames render on several threads at once; callers save and restore it.
// The pen, the clip and the colours are the port's, so they follow it.
thread_local GrafPtr gCurrentPort = nullptr;
thread_local GDHandle gCurrentDevice = nullptr;

}  // namespace

void GetGWorld(CGrafPtr* port, GDHandle* gdh) {
    if (port) *port = gCurrentPort;
    if (gdh) *gdh = gCurrentDevice;
}

void SetGWorld(CGrafPtr port, GDHandle gdh) {
    gCurrentPort = port;
    gCurrentDevice = gdh ? gdh : (port ? port->device : nullptr);
}

void GetPort(GrafPtr* port) {
    if (port) *port = gCurrentPort;
}

void SetPort(GrafPtr port) { gCurrentPort = port; }

Rect* GetPortBounds(CGrafPtr port, Rect* rect) {
    if (!rect) return nullptr;
    *rect = port ? port->portRect : Rect{0, 0, 0, 0};
    return rect;
}

const BitMap* GetPortBitMapForCopyBits(CGrafPtr port) { return port ? &port->portBits : nullptr; }

void RGBForeColor(const RGBColor* color) {
    if (gCurrentPort && color) gCurrentPort->fgColor = *color;
}

void RGBBackColor(const RGBColor* color) {
    if (gCurrentPort && color) gCurrentPort->bkColor = *color;
}

void GetForeColor(RGBColor* color) {
    if (color) *color = gCurrentPort ? gCurrentPort->fgColor : RGBColor{0, 0, 0};
}

void GetBackColor(RGBColor* color) {
    if (color) *color = gCurrentPort ? gCurrentPort->bkColor : RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
}
