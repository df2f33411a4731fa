#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What screen capture needs from the desktop, as small services: one X11
// implementation each, and a null one where X11 is not there (a Wayland
// session), so the capture code never talks to the display server itself
// and tests hand in a desktop of their own.

// One display monitor: its place in the virtual desktop in device-independent
// pixels and its scale factor (physical pixels per logical one).
struct MonitorRecord {
    QRect geometry;
    qreal scale = 1.0;
    QString name;
    bool primary = false;
};

// A snap candidate: a window's rectangle in logical desktop coordinates.
struct WindowEntry {
    unsigned long id = 0;
    QRect rect;
    bool isChild = false;
};

class MonitorList {
public:
    virtual ~MonitorList() = default;
    virtual std::vector<MonitorRecord> Monitors() = 0;
};

class DesktopSnapshot {
public:
    virtual ~DesktopSnapshot() = default;
    // Freezes the screen for one capture, before any monitor is asked for;
    // false, with the language key of what to tell the user, when the
    // desktop would not show it.
    virtual bool Prepare(std::wstring& failureKey) {
        (void)failureKey;
        return true;
    }
    // The pixels of one monitor as the user sees them (physical pixels; the
    // image's device pixel ratio is the monitor's scale); null when refused.
    virtual QImage GrabMonitor(const MonitorRecord& monitor) = 0;
};

class WindowListService {
public:
    virtual ~WindowListService() = default;
    // Visible top-level windows, topmost first, each preceded by its visible
    // descendants (deepest first); windows of this process are left out.
    virtual std::vector<WindowEntry> Windows() = 0;
};

class PointerService {
public:
    virtual ~PointerService() = default;
    // Where the pointer is, in the physical pixels of the whole screen (a
    // monitor's top-left corner is the same there and in desktop
    // coordinates); nothing when it cannot be asked.
    virtual std::optional<QPoint> PhysicalPosition() = 0;
};

// The desktop as the capture sees it.
struct Desktop {
    std::shared_ptr<MonitorList> monitors;
    std::shared_ptr<DesktopSnapshot> snapshot;
    std::shared_ptr<WindowListService> windows;
    // False in a session without X11 access to other windows.
    bool available = false;
    // Pointer positions finer than Qt's whole logical pixels (none: Qt's).
    std::shared_ptr<PointerService> pointer = nullptr;
};

// X11 when the program runs on it, else the null desktop.
Desktop SystemDesktop();
