// Documents opened through the desktop (xdg-open and its kind, through Qt).
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "toolkit/LaunchServices.h"
#include "toolkit/ToolkitInternal.h"

extern "C" OSStatus LSOpenFSRef(const FSRef* inRef, FSRef*) {
    if (!inRef) return paramErr;
    UInt8 path[4096];
    if (FSRefMakePath(inRef, path, sizeof path) != noErr) return kLSApplicationNotFoundErr;
    const QString file = QString::fromUtf8(reinterpret_cast<const char*>(path));
    if (!QFileInfo(file).isFile()) return kLSApplicationNotFoundErr;
    if (!mvtk::EnsureApplication()) return kLSApplicationNotFoundErr;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file)) ? OSStatus{noErr} : OSStatus{kLSApplicationNotFoundErr};
}
