#pragma once

#include <QImage>
#include <QRect>

class QPainter;

// Device-independent bitmaps: 32-bit, top-down pixel rows, no colour table.
QImage BitmapToDib(const QImage& bitmap);
int DibWidth(const QImage& dib);
// Draws a bitmap stretched into a rectangle; false for a null bitmap.
bool PaintBitmap(QPainter& painter, const QImage& bitmap, const QRect& target);
