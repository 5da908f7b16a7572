/* Windowing toolkit: windows. A window's drawing port is a 32-bit A, R, G, B
 * offscreen world the size of its content, in window coordinates; what is
 * drawn there under a custom control is what that control shows. */
#ifndef MV_MACWINDOWS_H
#define MV_MACWINDOWS_H

#include "MacTypes.h"
#include "quickdraw/QuickDraw.h"

MV_EXTERN_C_BEGIN

typedef struct OpaqueWindowPtr* WindowRef;
typedef struct OpaqueControlRef* ControlRef;

enum {
    /* RunAppModalLoopForWindow on a window that already runs one. */
    errWindowAlreadyModal = -5620,
    errInvalidWindowRef = -5600
};

MV_API void ShowWindow(WindowRef window);
MV_API void HideWindow(WindowRef window);
MV_API Boolean IsWindowVisible(WindowRef window);
MV_API void BringToFront(WindowRef window);
/* The window, its controls and its handlers go; its port too. */
MV_API void DisposeWindow(WindowRef window);

MV_API CGrafPtr GetWindowPort(WindowRef window);
/* Makes the window's port the current port. */
MV_API void SetPortWindowPort(WindowRef window);

/* Runs the window's modal loop until QuitAppModalLoopForWindow; loops nest,
 * and while one runs only its window takes input. */
MV_API OSStatus RunAppModalLoopForWindow(WindowRef window);
MV_API OSStatus QuitAppModalLoopForWindow(WindowRef window);

MV_EXTERN_C_END

#endif
