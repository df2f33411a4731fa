// The desktop services on X11: monitors and pixels through Qt's screens, the
// window stacking from the window manager (or the window tree without one).

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <optional>
#include <set>

#include "capture/desktop_services.h"
#include "capture/desktop_session.h"
#include "capture/portal_screenshot.h"

namespace {

// A rectangle of the X screen (physical pixels) in Qt's desktop coordinates.
// A monitor keeps its top-left corner in both; within it, distances shrink
// by its own scale. The monitor of the rectangle's top-left corner decides.
QRect ToLogical(const QRect& physical) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const qreal scale = screen->devicePixelRatio();
        const QPoint origin = screen->geometry().topLeft();
        if (!QRect(origin, screen->geometry().size() * scale).contains(physical.topLeft()))
            continue;
        const QPointF topLeft = QPointF(origin) + QPointF(physical.topLeft() - origin) / scale;
        return QRectF(topLeft, QSizeF(physical.size()) / scale).toRect();
    }
    const qreal scale = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return QRect(physical.topLeft() / scale, physical.size() / scale);
}

class ScreenMonitors : public MonitorList {
public:
    std::vector<MonitorRecord> Monitors() override {
        std::vector<MonitorRecord> records;
        const QScreen* primary = QGuiApplication::primaryScreen();
        for (const QScreen* screen : QGuiApplication::screens())
            records.push_back({screen->geometry(), screen->devicePixelRatio(), screen->name(),
                               screen == primary});
        return records;
    }
};

class ScreenSnapshot : public DesktopSnapshot {
public:
    QImage GrabMonitor(const MonitorRecord& monitor) override {
        for (QScreen* screen : QGuiApplication::screens())
            if (screen->name() == monitor.name) return screen->grabWindow(0).toImage();
        return {};
    }
};

class X11Windows : public WindowListService {
public:
    explicit X11Windows(xcb_connection_t* connection) : connection_(connection) {}

    std::vector<WindowEntry> Windows() override {
        std::vector<WindowEntry> entries;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        std::vector<xcb_window_t> topLevels = ClientStacking(root);
        const bool managed = !topLevels.empty();
        if (!managed) topLevels = Children(root);
        // Topmost first: both lists come bottom to top.
        std::reverse(topLevels.begin(), topLevels.end());
        const std::set<WId> own = OwnWindows();
        for (const xcb_window_t window : topLevels) {
            if (own.count(window) || !Viewable(window)) continue;
            AddDescendants(window, entries);
            if (auto rect = Frame(window, root)) {
                // The window's own top: the title bar the window manager added.
                if (managed)
                    if (const auto frame = Frame(Parent(window), root);
                        frame && frame->top() < rect->top())
                        rect->setTop(frame->top());
                entries.push_back({window, *rect, false});
            }
        }
        return entries;
    }

private:
    std::vector<xcb_window_t> ClientStacking(xcb_window_t root) {
        const char name[] = "_NET_CLIENT_LIST_STACKING";
        auto* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 1, sizeof name - 1, name), nullptr);
        std::vector<xcb_window_t> windows;
        if (!atom) return windows;
        if (atom->atom != XCB_ATOM_NONE) {
            auto* reply = xcb_get_property_reply(
                connection_,
                xcb_get_property(connection_, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 4096),
                nullptr);
            if (reply) {
                const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
                windows.assign(ids, ids + xcb_get_property_value_length(reply) / 4);
                free(reply);
            }
        }
        free(atom);
        return windows;
    }

    std::vector<xcb_window_t> Children(xcb_window_t window) {
        std::vector<xcb_window_t> children;
        auto* tree =
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr);
        if (!tree) return children;
        const xcb_window_t* ids = xcb_query_tree_children(tree);
        children.assign(ids, ids + xcb_query_tree_children_length(tree));
        free(tree);
        return children;
    }

    xcb_window_t Parent(xcb_window_t window) {
        auto* tree =
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr);
        const xcb_window_t parent = tree ? tree->parent : window;
        free(tree);
        return parent;
    }

    bool Viewable(xcb_window_t window) {
        auto* attributes = xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        free(attributes);
        return viewable;
    }

    // The window's rectangle on the root, in logical pixels.
    std::optional<QRect> Frame(xcb_window_t window, xcb_window_t root) {
        auto* geometry =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
        if (!geometry) return std::nullopt;
        auto* origin = xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, window, root, 0, 0), nullptr);
        std::optional<QRect> rect;
        if (origin) {
            rect =
                ToLogical(QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height));
            free(origin);
        }
        free(geometry);
        return rect;
    }

    void AddDescendants(xcb_window_t window, std::vector<WindowEntry>& entries) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        std::vector<xcb_window_t> children = Children(window);
        std::reverse(children.begin(), children.end());  // topmost first
        for (const xcb_window_t child : children) {
            if (!Viewable(child)) continue;
            AddDescendants(child, entries);
            if (const auto rect = Frame(child, root)) entries.push_back({child, *rect, true});
        }
    }

    static std::set<WId> OwnWindows() {
        std::set<WId> own;
        for (const QWindow* window : QGuiApplication::allWindows()) own.insert(window->winId());
        return own;
    }

    xcb_connection_t* connection_;
};

class X11Pointer : public PointerService {
public:
    explicit X11Pointer(xcb_connection_t* connection) : connection_(connection) {}
    std::optional<QPoint> PhysicalPosition() override {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        auto* reply =
            xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root), nullptr);
        if (!reply) return std::nullopt;
        const QPoint position(reply->root_x, reply->root_y);
        free(reply);
        return position;
    }

private:
    xcb_connection_t* connection_;
};

class NullMonitors : public MonitorList {
public:
    std::vector<MonitorRecord> Monitors() override { return {}; }
};
class NullSnapshot : public DesktopSnapshot {
public:
    QImage GrabMonitor(const MonitorRecord&) override { return {}; }
};
class NullWindows : public WindowListService {
public:
    std::vector<WindowEntry> Windows() override { return {}; }
};

}  // namespace

Desktop SystemDesktop() {
    xcb_connection_t* x11 = X11SessionConnection();
    // Wayland shows the screen only through the desktop portal, and no
    // other program's windows: regions are dragged, never snapped.
    if (!x11 && CurrentDesktopSession() == DesktopSession::Wayland && PortalScreenshotAvailable()) {
        auto monitors = std::make_shared<ScreenMonitors>();
        return {monitors, std::make_shared<PortalSnapshot>(monitors),
                std::make_shared<NullWindows>(), true};
    }
    if (!x11)
        return {std::make_shared<NullMonitors>(), std::make_shared<NullSnapshot>(),
                std::make_shared<NullWindows>(), false};
    return {std::make_shared<ScreenMonitors>(), std::make_shared<ScreenSnapshot>(),
            std::make_shared<X11Windows>(x11), true, std::make_shared<X11Pointer>(x11)};
}
