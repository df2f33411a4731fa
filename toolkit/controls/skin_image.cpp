#include "toolkit/controls/skin_image.h"

#include <qdrawutil.h>

#include <QPainter>
#include <QRegularExpression>
#include <QWidget>

#include "toolkit/paint_manager.h"

namespace {

QList<int> Numbers(const QString& text) {
    QList<int> values;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        values << part.trimmed().toInt();
    return values;
}

}  // namespace

SkinImage ParseSkinImage(const QString& descriptor) {
    SkinImage image;
    if (!descriptor.contains(QLatin1Char('='))) {
        image.file = descriptor.trimmed();
        return image;
    }
    static const QRegularExpression attribute(QStringLiteral(R"((\w+)\s*=\s*'([^']*)')"));
    for (auto it = attribute.globalMatch(descriptor); it.hasNext();) {
        const auto match = it.next();
        const QString name = match.captured(1), value = match.captured(2);
        const QList<int> n = Numbers(value);
        if (name == QLatin1String("file"))
            image.file = value;
        else if (name == QLatin1String("source") && n.size() == 4)
            image.source = QRect(QPoint(n[0], n[1]), QPoint(n[2] - 1, n[3] - 1));
        else if (name == QLatin1String("corner") && n.size() == 4)
            image.corner = QMargins(n[0], n[1], n[2], n[3]);
    }
    return image;
}

bool PaintSkinImage(QPainter& painter, const QWidget* owner, const QRect& target,
                    const QString& descriptor) {
    const SkinImage image = ParseSkinImage(descriptor);
    if (image.file.isEmpty() || target.isEmpty()) return false;
    const qreal ratio = owner ? owner->devicePixelRatioF() : 1.0;
    const QPixmap pixmap = CPaintManagerUI::LoadImage(image.file.toStdString(), ratio);
    if (pixmap.isNull()) return false;
    const qreal scale = pixmap.devicePixelRatio();
    const QRectF whole(QPointF(0, 0), pixmap.deviceIndependentSize());
    const QRectF source = image.source.isNull() ? whole : QRectF(image.source);
    const QMargins c = image.corner;
    if (c.isNull()) {
        painter.drawPixmap(QRectF(target), pixmap,
                           QRectF(source.topLeft() * scale, source.size() * scale));
        return true;
    }
    // Nine parts: corners unscaled, edges stretched along one axis, middle both.
    qDrawBorderPixmap(&painter, target, c, pixmap, source.toRect(), c);
    return true;
}
