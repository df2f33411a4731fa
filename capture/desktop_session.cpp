#include "capture/desktop_session.h"

#include <QGuiApplication>
#include <cstdlib>
#include <string_view>

namespace {

std::string_view Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

xcb_connection_t* QtX11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

DesktopSession CurrentDesktopSession() {
    if (Environment("TAVIOCR_DESKTOP") == "none") return DesktopSession::None;
    const std::string_view type = Environment("XDG_SESSION_TYPE");
    if (type == "wayland" || (type != "x11" && !Environment("WAYLAND_DISPLAY").empty()))
        return DesktopSession::Wayland;
    return QtX11Connection() ? DesktopSession::X11 : DesktopSession::None;
}

xcb_connection_t* X11SessionConnection() {
    return CurrentDesktopSession() == DesktopSession::X11 ? QtX11Connection() : nullptr;
}
