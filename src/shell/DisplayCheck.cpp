#include "shell/DisplayCheck.h"

#include <QByteArray>
#include <QList>

#include <xcb/xcb.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace brimlark {

namespace {

// An X display answers when a connection to it opens, as Qt's own would
// (the same name, the same authority file).
bool xDisplayAnswers(const QByteArray &name)
{
    xcb_connection_t *connection = xcb_connect(name.isEmpty() ? nullptr : name.constData(), nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

// A Wayland display is a socket, named as the client library names it:
// WAYLAND_DISPLAY (default "wayland-0") in XDG_RUNTIME_DIR unless absolute.
bool waylandDisplayAnswers()
{
    QByteArray path = qgetenv("WAYLAND_DISPLAY");
    if (path.isEmpty()) {
        path = "wayland-0";
    }
    if (!path.startsWith('/')) {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.isEmpty()) {
            return false;
        }
        path = runtime + '/' + path;
    }
    sockaddr_un address {};
    if (std::size_t(path.size()) >= sizeof address.sun_path) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return answers;
}

} // namespace

bool DisplayCheck::canStart(int argc, char **argv)
{
    // Qt's choice: the session's platform with X11 behind it, unless the
    // environment or the command line names others (a list, ';' between).
    QByteArray platforms = qgetenv("XDG_SESSION_TYPE") == "wayland" ? "wayland;xcb" : "xcb";
    if (const QByteArray named = qgetenv("QT_QPA_PLATFORM"); !named.isEmpty()) {
        platforms = named;
    }
    QByteArray xDisplay;
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray argument = argv[i];
        if (argument == "-platform" || argument == "--platform") {
            platforms = argv[i + 1];
        } else if (argument == "-display" || argument == "--display") {
            xDisplay = argv[i + 1];
        }
    }
    for (const QByteArray &platform : platforms.split(';')) {
        // A plugin's options follow its name after ':'.
        const qsizetype colon = platform.indexOf(':');
        const QByteArray name = (colon < 0 ? platform : platform.left(colon)).trimmed();
        // Other platforms need no display, or say themselves what they lack.
        bool answers = !name.isEmpty();
        if (name == "xcb") {
            answers = xDisplayAnswers(xDisplay);
        } else if (name.startsWith("wayland")) {
            answers = waylandDisplayAnswers();
        }
        if (answers) {
            return true;
        }
    }
    return false;
}

} // namespace brimlark
