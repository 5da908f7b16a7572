// Offscreen graphics worlds: 32-bit pixel buffers with a port.
#include <cstdint>
#include <limits>
#include <new>

#include "quickdraw/PixelStore.h"
#include "quickdraw/QDPort.h"

namespace {

constexpr RGBColor kBlack = {0, 0, 0};
constexpr RGBColor kWhite = {0xFFFF, 0xFFFF, 0xFFFF};

void InitPort(GrafPtr port, const Rect& bounds, void* pixels, std::size_t rowBytes,
              std::size_t pixelBytes) {
    port->pixMap.baseAddr = static_cast<Ptr>(pixels);
    port->pixMap.rowBytes = static_cast<SInt32>(rowBytes);
    port->pixMap.bounds = bounds;
    port->pixMap.pixelSize = 32;
    port->pixMap.pixelFormat = k32ARGBPixelFormat;
    port->slot = {&port->pixMap, 0};
    port->portBits = {port->pixMap.baseAddr, port->pixMap.rowBytes, bounds};
    port->portRect = bounds;
    port->fgColor = kBlack;
    port->bkColor = kWhite;
    port->pnLoc = {0, 0};
    port->pnSize = {1, 1};
    port->pnMode = 8;  // patCopy
    port->clipRect = bounds;
    port->device = nullptr;
    port->pixels = pixels;
    port->pixelBytes = pixelBytes;
}

}  // namespace

GrafPtr MVPortOfPixMap(PixMapHandle pm) {
    if (!pm) return nullptr;
    auto* slot = reinterpret_cast<MVPixMapSlot*>(pm);
    auto* bytes = reinterpret_cast<char*>(slot) - offsetof(OpaqueGrafPtr, slot);
    return reinterpret_cast<GrafPtr>(bytes);
}

QDErr NewGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect,
                CTabHandle, GDHandle, GWorldFlags) {
    if (!offscreenGWorld) return paramErr;
    *offscreenGWorld = nullptr;
    if (!boundsRect || (pixelDepth != 32 && pixelDepth != 0)) return paramErr;
    const std::int32_t width = std::int32_t{boundsRect->right} - boundsRect->left;
    const std::int32_t height = std::int32_t{boundsRect->bottom} - boundsRect->top;
    if (width < 0 || height < 0) return paramErr;

    const std::size_t rowBytes = mv::PixelRowBytes(static_cast<std::size_t>(width));
    const std::uint64_t bytes = std::uint64_t{rowBytes} * static_cast<std::uint64_t>(height);
    if (rowBytes > static_cast<std::size_t>(std::numeric_limits<SInt32>::max()) ||
        bytes > std::numeric_limits<std::ptrdiff_t>::max())
        return memFullErr;

    auto* port = new (std::nothrow) OpaqueGrafPtr;
    void* pixels = port ? mv::AcquirePixels(static_cast<std::size_t>(bytes)) : nullptr;
    if (!pixels) {
        delete port;
        return memFullErr;
    }
    InitPort(port, *boundsRect, pixels, rowBytes, static_cast<std::size_t>(bytes));
    *offscreenGWorld = port;
    return noErr;
}

QDErr NewGWorldFromPtr(GWorldPtr* offscreenGWorld, UInt32 pixelFormat, const Rect* boundsRect, CTabHandle,
                       GDHandle, GWorldFlags, Ptr buffer, SInt32 rowBytes) {
    if (!offscreenGWorld) return paramErr;
    *offscreenGWorld = nullptr;
    if (!boundsRect || !buffer || (pixelFormat != k32ARGBPixelFormat && pixelFormat != 0)) return paramErr;
    const std::int32_t width = std::int32_t{boundsRect->right} - boundsRect->left;
    const std::int32_t height = std::int32_t{boundsRect->bottom} - boundsRect->top;
    if (width < 0 || height < 0 || rowBytes < 0 || rowBytes / 4 < width) return paramErr;
    auto* port = new (std::nothrow) OpaqueGrafPtr;
    if (!port) return memFullErr;
    InitPort(port, *boundsRect, buffer, static_cast<std::size_t>(rowBytes), 0);
    port->pixels = nullptr;  // the caller's: nothing to give back
    *offscreenGWorld = port;
    return noErr;
}

void DisposeGWorld(GWorldPtr offscreenGWorld) {
    if (!offscreenGWorld) return;
    CGrafPtr current;
    GDHandle device;
    GetGWorld(&current, &device);
    if (current == offscreenGWorld) SetGWorld(nullptr, nullptr);
    mv::ReleasePixels(offscreenGWorld->pixels, offscreenGWorld->pixelBytes);
    delete offscreenGWorld;
}

PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld) {
    return offscreenGWorld ? &offscreenGWorld->slot.pixMapPtr : nullptr;
}

Boolean LockPixels(PixMapHandle pm) {
    GrafPtr port = MVPortOfPixMap(pm);
    if (!port) return false;
    port->slot.state |= pixelsLocked;
    return true;
}

void UnlockPixels(PixMapHandle pm) {
    if (GrafPtr port = MVPortOfPixMap(pm)) port->slot.state &= ~GWorldFlags{pixelsLocked};
}

GWorldFlags GetPixelsState(PixMapHandle pm) {
    GrafPtr port = MVPortOfPixMap(pm);
    return port ? port->slot.state : 0;
}

void SetPixelsState(PixMapHandle pm, GWorldFlags state) {
    if (GrafPtr port = MVPortOfPixMap(pm)) port->slot.state = state & (pixelsLocked | pixelsPurgeable);
}

Ptr GetPixBaseAddr(PixMapHandle pm) { return pm && *pm ? (*pm)->baseAddr : nullptr; }

SInt32 GetPixRowBytes(PixMapHandle pm) { return pm && *pm ? (*pm)->rowBytes : 0; }
