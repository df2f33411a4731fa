#include "offline/engine_bitmap.h"

#include <cerrno>
#include <cstdio>

#include "app/image_file.h"
#include "platform/file_io.h"

namespace {

// Transparent parts become white paper: a PNG whose text lives in its alpha
// channel (black text, everything else transparent black) would otherwise
// turn all black.
QImage FlattenOntoWhite(const QImage& image) {
    if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB888);
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage flat(argb.size(), QImage::Format_RGB888);
    if (argb.isNull() || flat.isNull()) return {};
    for (int y = 0; y < argb.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* target = flat.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const int alpha = qAlpha(source[x]);
            const auto blend = [alpha](int channel) {
                return static_cast<uchar>((channel * alpha + 255 * (255 - alpha) + 127) / 255);
            };
            *target++ = blend(qRed(source[x]));
            *target++ = blend(qGreen(source[x]));
            *target++ = blend(qBlue(source[x]));
        }
    }
    return flat;
}

}  // namespace

int GreyLevel(int red, int green, int blue) {
    return static_cast<int>(0.587 * green + 0.114 * blue + 0.299 * red);
}

QImage ToGreyBitmap(const QImage& rgb) {
    if (rgb.format() != QImage::Format_RGB888) return {};
    QImage grey(rgb.size(), QImage::Format_Indexed8);
    if (grey.isNull()) return {};
    QList<QRgb> palette(256);
    for (int i = 0; i < 256; ++i) palette[i] = qRgba(i, i, i, 255);
    grey.setColorTable(palette);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* source = rgb.constScanLine(y);
        uchar* target = grey.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x, source += 3)
            target[x] = static_cast<uchar>(GreyLevel(source[0], source[1], source[2]));
    }
    return grey;
}

std::wstring PrepareEngineBitmap(const std::wstring& imagePath, const std::wstring& folder) {
    const std::wstring path = folder + L"/tmp.bmp";
    // The last picture's bitmap goes first, whatever becomes of this one.
    if (std::remove(NarrowPath(path).c_str()) != 0 && errno != ENOENT) return {};
    QImage loaded = PictureReader(imagePath).Read();
    if (loaded.isNull()) return {};
    const QImage clone = FlattenOntoWhite(loaded);
    if (clone.isNull()) return {};
    loaded = QImage();
    const QImage grey = ToGreyBitmap(clone);
    if (!SaveImageFresh(grey.isNull() ? clone : grey, path, "bmp")) return {};
    return path;
}
