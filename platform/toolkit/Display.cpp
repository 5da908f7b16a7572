#include "toolkit/Display.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool XAnswers(const std::string& display, std::string& why) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const int err = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (err == 0) return true;
    why = "the X display " + display + " does not accept a connection (no server runs there, or it refuses this user)";
    return false;
}

bool WaylandAnswers(const std::string& name, std::string& why) {
    const std::string path = name[0] == '/' ? name : Env("XDG_RUNTIME_DIR") + "/" + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool answered = false;
    if (fd >= 0 && path.size() < sizeof address.sun_path) {
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        answered = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    const int err = errno;
    if (fd >= 0) close(fd);
    if (!answered) why = "the Wayland display " + path + " does not answer (" + std::strerror(err) + ")";
    return answered;
}

}  // namespace

bool MVDisplayUsable(bool screenless, std::string& why) {
    const std::string platform = Env("QT_QPA_PLATFORM");
    if (platform.starts_with("offscreen") || platform.starts_with("minimal")) {
        if (!screenless) why = "QT_QPA_PLATFORM=" + platform + " shows no window";
        return screenless;
    }
    const std::string x = Env("DISPLAY"), wayland = Env("WAYLAND_DISPLAY");
    const bool wantX = !platform.starts_with("wayland"), wantWayland = !platform.starts_with("xcb");
    if ((!wantX || x.empty()) && (!wantWayland || wayland.empty())) {
        why = "no display (set DISPLAY or WAYLAND_DISPLAY)";
        return false;
    }
    std::string xWhy, waylandWhy;
    if (wantWayland && !wayland.empty() && WaylandAnswers(wayland, waylandWhy)) return true;
    if (wantX && !x.empty() && XAnswers(x, xWhy)) return true;
    why = !xWhy.empty() ? xWhy : waylandWhy;
    return false;
}
