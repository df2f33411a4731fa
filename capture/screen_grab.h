#pragma once

#include <QImage>
#include <QRect>
#include <optional>

#include "capture/desktop_services.h"

// The screen without any window of ours: for recognising what is on it from
// the command line.

// Every monitor's own pixels in one picture of the screen's physical pixels:
// a monitor's top-left corner is the same in desktop and physical
// coordinates, and it spans its logical size times its scale from there.
// `origin` is where the picture's (0, 0) lies on the screen.
struct ScreenPicture {
    QImage image;
    QPoint origin;
};
ScreenPicture GrabScreen(MonitorList& monitors, DesktopSnapshot& snapshot);

// Monitor n (from 0, in the order the desktop lists them) in physical pixels.
std::optional<QRect> OutputRect(MonitorList& monitors, int n);

// Nothing was read: every pixel (nearly) black, as a screen grab comes back
// where the display server refuses it.
bool LooksBlack(const QImage& image);
