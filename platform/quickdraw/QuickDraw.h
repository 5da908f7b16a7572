/* QuickDraw: drawing ports, offscreen graphics worlds and bit transfer. */
#ifndef MV_QUICKDRAW_H
#define MV_QUICKDRAW_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

typedef struct OpaqueGrafPtr* GrafPtr;
typedef GrafPtr CGrafPtr;
typedef CGrafPtr GWorldPtr;
typedef struct OpaqueGDHandle* GDHandle;
typedef struct OpaqueRgnHandle* RgnHandle;
typedef struct ColorTable** CTabHandle;

/* The pixels a transfer reads or writes. rowBytes is a plain byte count here
 * (no flag bits), so rows may be longer than 16 bits allow. */
typedef struct BitMap {
    Ptr baseAddr;
    SInt32 rowBytes;
    Rect bounds;
} BitMap;

/* Every pixel map is 32 bits per pixel, memory order A, R, G, B; the first
 * three fields match BitMap so a pixel map can stand where a bit map is asked. */
typedef struct PixMap {
    Ptr baseAddr;
    SInt32 rowBytes;
    Rect bounds;
    SInt16 pixelSize;
    OSType pixelFormat;
} PixMap;
typedef PixMap* PixMapPtr;
typedef PixMapPtr* PixMapHandle;

enum { k32ARGBPixelFormat = 0x00000020 };

typedef SInt16 QDErr;
typedef UInt32 GWorldFlags;
enum {
    pixPurge = 1u << 0,
    noNewDevice = 1u << 1,
    useTempMem = 1u << 2,
    keepLocal = 1u << 3,
    pixelsPurgeable = 1u << 6,
    pixelsLocked = 1u << 7
};

/* Transfer modes. The pen draws in the fore colour in the copy and or modes
 * (pixels are whole colours here, so or-ing a solid pen gives the colour) and
 * inverts in the xor modes. */
enum { srcCopy = 0, srcOr = 1, srcXor = 2, patCopy = 8, patOr = 9, patXor = 10 };

/* Offscreen graphics worlds. pixelDepth must be 32 (0 means 32); rows are
 * aligned for vector access. memFullErr when the pixels cannot be had,
 * paramErr for an unsupported depth or a rectangle of negative size. The
 * pixels' initial contents are undefined. */
MV_API QDErr NewGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect,
                       CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags);
/* A graphics world over pixels the caller owns and keeps for its life:
 * pixelFormat k32ARGBPixelFormat (or 0), rowBytes at least 4 x the width.
 * DisposeGWorld leaves the pixels alone. paramErr for anything else. */
MV_API QDErr NewGWorldFromPtr(GWorldPtr* offscreenGWorld, UInt32 pixelFormat, const Rect* boundsRect,
                              CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags, Ptr buffer,
                              SInt32 rowBytes);
MV_API void DisposeGWorld(GWorldPtr offscreenGWorld);
MV_API PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);

/* The current port and device (process-wide, as on the original platform). */
MV_API void GetGWorld(CGrafPtr* port, GDHandle* gdh);
MV_API void SetGWorld(CGrafPtr port, GDHandle gdh);
MV_API void GetPort(GrafPtr* port);
MV_API void SetPort(GrafPtr port);

/* Pixels never move; the lock state is kept so callers can restore it. */
MV_API Boolean LockPixels(PixMapHandle pm);
MV_API void UnlockPixels(PixMapHandle pm);
MV_API GWorldFlags GetPixelsState(PixMapHandle pm);
MV_API void SetPixelsState(PixMapHandle pm, GWorldFlags state);
MV_API Ptr GetPixBaseAddr(PixMapHandle pm);
MV_API SInt32 GetPixRowBytes(PixMapHandle pm);

MV_API Rect* GetPortBounds(CGrafPtr port, Rect* rect);
MV_API const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);

/* Mode srcCopy only: copies srcRect of srcBits onto dstRect of dstBits,
 * nearest pixel by pixel centres when the sizes differ, clipped to the
 * destination's bounds and, when the destination is the current port's, to
 * its clip rectangle. No colourising; maskRgn must be null. */
MV_API void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
                     const Rect* dstRect, SInt16 mode, RgnHandle maskRgn);

/* Colours of the current port; no effect when there is no current port. */
MV_API void RGBForeColor(const RGBColor* color);
MV_API void RGBBackColor(const RGBColor* color);
MV_API void GetForeColor(RGBColor* color);
MV_API void GetBackColor(RGBColor* color);

MV_API void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
MV_API void OffsetRect(Rect* r, SInt16 dh, SInt16 dv);
MV_API Boolean EqualRect(const Rect* rect1, const Rect* rect2);
/* Moves the sides dh and dv inwards (outwards when negative); a rectangle
 * left with no width or height becomes (0, 0, 0, 0). */
MV_API void InsetRect(Rect* r, SInt16 dh, SInt16 dv);
/* The smallest rectangle with both points as corners. */
MV_API void Pt2Rect(Point pt1, Point pt2, Rect* dstRect);
/* left <= h < right and top <= v < bottom. */
MV_API Boolean PtInRect(Point pt, const Rect* r);

/* Drawing into the current port, in its coordinates, within its bounds and
 * its clip rectangle. Pixels drawn are opaque (alpha 255); a colour's high
 * byte per channel is its 8-bit value. */
MV_API void ClipRect(const Rect* r);
MV_API void PenMode(SInt16 mode);
/* A one-pixel pen in patCopy mode. */
MV_API void PenNormal(void);
/* The one-pixel outline just inside r. */
MV_API void FrameRect(const Rect* r);
MV_API void PaintRect(const Rect* r);
/* Fills with the back colour. */
MV_API void EraseRect(const Rect* r);
/* Inverts red, green and blue; alpha stays. */
MV_API void InvertRect(const Rect* r);
/* A one-pixel ring inside r: of the pixels whose centres lie in the ellipse
 * inscribed in r, those with a neighbour above, below, left or right that
 * does not. Symmetric about both axes, closed, and rings inscribed in
 * rectangles inset by 1 and 2 nest without gaps or overlaps. */
MV_API void FrameOval(const Rect* r);

MV_EXTERN_C_END

#endif
