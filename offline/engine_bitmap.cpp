#include "offline/engine_bitmap.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "app/image_file.h"
#include "platform/file_io.h"
#include "platform/private_folder.h"

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

// What the picture file said about its resolution: a picture without one
// is loaded with the default every new image gets, which is no measurement.
int DeclaredDotsPerMeter(const QImage& image) {
    static const int kDefault = QImage(1, 1, QImage::Format_Mono).dotsPerMeterY();
    const int declared = image.dotsPerMeterY();
    return declared == kDefault ? 0 : std::max(0, declared);
}

// The pixels-per-metre fields of a BITMAPINFOHEADER (offsets 38 and 42).
void SetBitmapResolution(QByteArray& bitmap, int dotsPerMeter) {
    if (bitmap.size() < 46) return;
    for (int offset : {38, 42})
        for (int i = 0; i < 4; ++i)
            bitmap[offset + i] =
                static_cast<char>((static_cast<unsigned>(dotsPerMeter) >> (8 * i)) & 0xFF);
}

}  // namespace

int GreyLevel(int red, int green, int blue) {
    // In thousandths, so the truncation is exact: in floating point a grey
    // pixel (v, v, v) came out as v - 1 for many v, white as 254.
    return (587 * green + 114 * blue + 299 * red) / 1000;
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

std::wstring PrepareEngineBitmap(const std::wstring& imagePath, const std::wstring& path) {
    // The last picture's bitmap goes first, whatever becomes of this one.
    if (std::remove(NarrowPath(path).c_str()) != 0 && errno != ENOENT) return {};
    QImage loaded = PictureReader(imagePath).Read();
    if (loaded.isNull()) return {};
    const int dotsPerMeter = DeclaredDotsPerMeter(loaded);
    const QImage clone = FlattenOntoWhite(loaded);
    if (clone.isNull()) return {};
    loaded = QImage();
    const QImage grey = ToGreyBitmap(clone);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "bmp").write(grey.isNull() ? clone : grey)) return {};
    SetBitmapResolution(bytes, dotsPerMeter);
    // Written aside and renamed into place: an engine waiting for the bitmap
    // never sees half of it.
    const std::wstring part = path + L".part";
    if (!WriteFreshFile(
            part, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
        return {};
    if (std::rename(NarrowPath(part).c_str(), NarrowPath(path).c_str()) != 0) {
        std::remove(NarrowPath(part).c_str());
        return {};
    }
    return path;
}
