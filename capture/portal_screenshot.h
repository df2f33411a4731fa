#pragma once

#include <QImage>
#include <chrono>
#include <memory>
#include <string>

#include "capture/desktop_services.h"

// The whole desktop through the XDG desktop portal
// (org.freedesktop.portal.Screenshot, not interactive), the way a Wayland
// session lets a program see the screen. The portal writes a file and
// answers with its address; the picture is read and the file deleted.
struct PortalShot {
    QImage image;
    // Why there is none: the language key of the message for the user.
    std::wstring failureKey;
};

// Asks on the session bus and waits at most `limit` for the answer: a
// desktop that refuses may never answer at all.
PortalShot TakePortalScreenshot(std::chrono::milliseconds limit);

// Whether a portal answers for screenshots on the session bus.
bool PortalScreenshotAvailable();

// The snapshot service of a Wayland session: one portal screenshot per
// capture (taken by Prepare), cut into the monitors' physical rectangles.
class PortalSnapshot : public DesktopSnapshot {
public:
    explicit PortalSnapshot(std::shared_ptr<MonitorList> monitors,
                            std::chrono::milliseconds limit = std::chrono::seconds(15))
        : monitors_(std::move(monitors)), limit_(limit) {}
    bool Prepare(std::wstring& failureKey) override;
    QImage GrabMonitor(const MonitorRecord& monitor) override;

private:
    std::shared_ptr<MonitorList> monitors_;
    std::chrono::milliseconds limit_;
    QImage desktop_;  // the last shot, in the screen's physical pixels
    QPoint origin_;   // where its (0, 0) lies on the screen
};
