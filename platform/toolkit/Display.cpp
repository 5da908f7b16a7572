#include "toolkit/Display.h"

#include <QByteArray>
#include <QDir>
#include <QLibraryInfo>
#include <QStringList>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The platforms Qt tries, in order: QT_QPA_PLATFORM's list, or its own
// choice, which is X unless a Wayland session (other than GNOME's) asks for
// Wayland first.
std::vector<std::string> QtPlatforms() {
    std::string list = Env("QT_QPA_PLATFORM");
    if (list.empty()) {
        const QByteArray desktop = (Env("XDG_CURRENT_DESKTOP") + Env("XDG_SESSION_DESKTOP")).c_str();
        list = Env("XDG_SESSION_TYPE") == "wayland" && !desktop.toLower().contains("gnome") ? "wayland;xcb" : "xcb";
    }
    std::vector<std::string> platforms;
    for (const QString& p : QString::fromStdString(list).split(';', Qt::SkipEmptyParts))
        platforms.push_back(p.section(':', 0, 0).toStdString());  // options after a colon
    return platforms;
}

const char* const kNoDisplay = "no display (set DISPLAY or WAYLAND_DISPLAY)";

// The display `variable` names, or why there is none.
bool Named(const char* variable, std::string& name, std::string& why) {
    name = Env(variable);
    if (name.empty()) why = kNoDisplay;
    return !name.empty();
}

bool XAnswers(std::string& why) {
    std::string display;
    if (!Named("DISPLAY", display, why)) return false;
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const int err = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (err == 0) return true;
    why = "the X display " + display + " does not accept a connection (no server runs there, or it refuses this user)";
    return false;
}

// Qt's Wayland platform is a package of its own, not always installed.
bool HaveWaylandPlugin() {
    QStringList folders = QString::fromLocal8Bit(qgetenv("QT_PLUGIN_PATH")).split(':', Qt::SkipEmptyParts);
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString& folder : folders)
        if (!QDir(folder + "/platforms").entryList({"libqwayland*.so"}, QDir::Files).isEmpty()) return true;
    return false;
}

bool WaylandAnswers(std::string& why) {
    std::string name;
    if (!Named("WAYLAND_DISPLAY", name, why)) return false;
    const std::string path = name[0] == '/' ? name : Env("XDG_RUNTIME_DIR") + "/" + name;
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        why = "the Wayland display " + path + " has too long a name";
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answered = fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int err = errno;
    if (fd >= 0) close(fd);
    if (!answered) {
        why = "the Wayland display " + path + " does not answer (" + std::strerror(err) + ")";
        return false;
    }
    if (!HaveWaylandPlugin()) {
        why = "the Wayland display " + path + " answers, but Qt's Wayland platform is not installed (qt6-wayland)";
        return false;
    }
    return true;
}

}  // namespace

bool MVDisplayUsable(bool screenless, std::string& why) {
    why.clear();
    for (const std::string& platform : QtPlatforms()) {
        std::string reason;
        if (platform == "offscreen" || platform == "minimal") {
            if (screenless) return true;
            reason = "QT_QPA_PLATFORM=" + platform + " shows no window";
        } else if (platform == "xcb") {
            if (XAnswers(reason)) return true;
        } else if (platform.starts_with("wayland")) {
            if (WaylandAnswers(reason)) return true;
        } else {
            return true;  // a framebuffer, VNC or the like: Qt's own to judge
        }
        if (why.empty()) why = reason;  // the first platform's reason: the one Qt would have used
    }
    if (why.empty()) why = kNoDisplay;
    return false;
}
