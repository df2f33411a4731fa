#include "toolkit/bitmap_helpers.h"

#include <QPainter>

QImage BitmapToDib(const QImage& bitmap) {
    if (bitmap.isNull()) return {};
    return bitmap.convertToFormat(bitmap.hasAlphaChannel() ? QImage::Format_ARGB32
                                                           : QImage::Format_RGB32);
}

int DibWidth(const QImage& dib) { return dib.isNull() ? 0 : dib.width(); }

bool PaintBitmap(QPainter& painter, const QImage& bitmap, const QRect& target) {
    if (bitmap.isNull() || target.isEmpty()) return false;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, bitmap);
    return true;
}
