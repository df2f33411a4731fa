#pragma once

#include <QMargins>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;

// A skin image: a package entry, or a descriptor naming one with the part to
// take and the corners that must not stretch:
//   file='button/scroll.png' source='0,0,12,21' corner='2,2,2,2'
struct SkinImage {
    QString file;
    QRect source;     // null: the whole image
    QMargins corner;  // edges drawn unscaled
};

SkinImage ParseSkinImage(const QString& descriptor);

// Draws the image into target, stretching the middle and keeping the corners.
// Returns false when it names nothing loadable.
bool PaintSkinImage(QPainter& painter, const QWidget* owner, const QRect& target,
                    const QString& descriptor);
