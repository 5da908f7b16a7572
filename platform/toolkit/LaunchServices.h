/* Launch Services: a document opened with the desktop's default application
 * for its kind. */
#ifndef MV_LAUNCHSERVICES_H
#define MV_LAUNCHSERVICES_H

#include "MacTypes.h"
#include "system/Files.h"

MV_EXTERN_C_BEGIN

enum { kLSApplicationNotFoundErr = -10814, kLSNoLaunchPermissionErr = -10826 };

/* noErr once the desktop has taken the document; kLSApplicationNotFoundErr
 * where nothing can open it (no display, no viewer, no such file).
 * outLaunchedRef is not filled. */
MV_API OSStatus LSOpenFSRef(const FSRef* inRef, FSRef* outLaunchedRef);

MV_EXTERN_C_END

#endif
