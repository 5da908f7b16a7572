/* Core Foundation bundles: a folder `<Name>.bundle/` holding `Contents/Info`
 * (identifier and executable), the shared library in `Contents/Linux/` and
 * its resources in `Contents/Resources/`. */
#ifndef MV_CFBUNDLE_H
#define MV_CFBUNDLE_H

#include "system/CFString.h"
#include "system/CFURL.h"

MV_EXTERN_C_BEGIN

typedef struct __CFBundle* CFBundleRef;

/* The loaded bundle whose Info names this identifier, or NULL. The bundle
 * stays valid while the process runs; the caller does not release it. */
MV_API CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);

/* Not retained for the caller. */
MV_API CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);

/* The existing file or folder `<name>.<type>` in Contents/Resources/, or in
 * its folder subDirName; resourceType and subDirName may be NULL. The caller
 * releases the URL; NULL when there is no such resource. */
MV_API CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                        CFStringRef resourceType, CFStringRef subDirName);

MV_EXTERN_C_END

#endif
