#include "capture/screen_grab.h"

#include <QPainter>

namespace {

QRect PhysicalRect(const MonitorRecord& monitor) {
    return QRect(monitor.geometry.topLeft(),
                 (QSizeF(monitor.geometry.size()) * monitor.scale).toSize());
}

}  // namespace

ScreenPicture GrabScreen(MonitorList& monitors, DesktopSnapshot& snapshot) {
    const std::vector<MonitorRecord> all = monitors.Monitors();
    QRect area;
    for (const MonitorRecord& monitor : all) area = area.united(PhysicalRect(monitor));
    if (area.isEmpty()) return {};
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    for (const MonitorRecord& monitor : all) {
        QImage grab = snapshot.GrabMonitor(monitor);
        if (grab.isNull()) continue;
        grab.setDevicePixelRatio(1.0);
        painter.drawImage(PhysicalRect(monitor).topLeft() - area.topLeft(), grab);
    }
    painter.end();
    return {image, area.topLeft()};
}

std::optional<QRect> OutputRect(MonitorList& monitors, int n) {
    const std::vector<MonitorRecord> all = monitors.Monitors();
    if (n < 0 || n >= static_cast<int>(all.size())) return std::nullopt;
    return PhysicalRect(all[static_cast<std::size_t>(n)]);
}

bool LooksBlack(const QImage& image) {
    if (image.isNull()) return true;
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            if (qRed(line[x]) > 8 || qGreen(line[x]) > 8 || qBlue(line[x]) > 8) return false;
    }
    return true;
}
