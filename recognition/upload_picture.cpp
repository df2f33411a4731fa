#include "recognition/upload_picture.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/image_file.h"
#include "platform/file_io.h"

namespace {

constexpr std::size_t kMaxSourceBytes = 512 * 1024 * 1024;
constexpr int kFirstJpegQuality = 90;
constexpr int kLastJpegQuality = 85;

bool ServiceReadsFormat(const QByteArray& format) {
    return format == "png" || format == "jpeg" || format == "jpg" || format == "bmp";
}

std::string Encode(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0) writer.setQuality(quality);
    if (!writer.write(image)) return {};
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Palette, one-bit and alpha pictures as plain grey or colour: scaling and
// JPEG need them so (a palette picture scaled as it is turns black).
QImage Flattened(const QImage& image) {
    if (image.isGrayscale() && !image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_Grayscale8);
    if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

// Sides below the minimum are padded with the edge's colour, the picture in
// the middle at its own scale (a short line of text stays the size it was).
QImage Padded(const QImage& image, int minSide) {
    const int width = std::max(image.width(), minSide), height = std::max(image.height(), minSide);
    if (width == image.width() && height == image.height()) return image;
    QImage padded(width, height, image.format());
    padded.fill(image.pixel(0, 0));
    QPainter painter(&padded);
    painter.drawImage((width - image.width()) / 2, (height - image.height()) / 2, image);
    return padded;
}

QSize Within(const QSize& size, int maxSide) {
    const double scale =
        std::min({1.0, double(maxSide) / size.width(), double(maxSide) / size.height()});
    return QSize(std::max(1, int(std::floor(size.width() * scale))),
                 std::max(1, int(std::floor(size.height() * scale))));
}

}  // namespace

PreparedPicture PreparePicture(const std::wstring& path, const UploadLimits& limits) {
    PreparedPicture prepared;
    prepared.failureKey = L"ImageSizeIsZero";
    auto source = ReadWholeFile(path, kMaxSourceBytes);
    if (!source || source->empty()) return prepared;
    QByteArray data = QByteArray::fromRawData(source->data(), qsizetype(source->size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader::setAllocationLimit(kImageAllocationLimitMiB);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    const QSize size = reader.size();
    if (format.isEmpty() || !size.isValid() || size.isEmpty()) return prepared;

    const bool jpeg = format == "jpeg" || format == "jpg";
    QSize target = Within(size, limits.maxSide);
    const bool asIs = ServiceReadsFormat(format) && source->size() <= limits.maxBytes &&
                      target == size && size.width() >= limits.minSide &&
                      size.height() >= limits.minSide;
    // A JPEG over the byte limit: its bytes per pixel foretell the new
    // encoding's, so one decode at the right size and one encoding suffice.
    if (jpeg && source->size() > limits.maxBytes) {
        double shrink = std::sqrt(double(limits.maxBytes) / double(source->size()));
        // Half size decodes several times faster (the decoder scales in the
        // frequency domain) and still leaves a 12-megapixel photo 2000 wide.
        if (shrink > 0.5 && shrink < 0.65) shrink = 0.5;
        target = target.boundedTo(QSize(std::max(limits.minSide, int(size.width() * shrink)),
                                        std::max(limits.minSide, int(size.height() * shrink))));
    }
    // JPEG decodes straight at the smaller size, far faster than scaling after.
    if (jpeg && target != size) reader.setScaledSize(target);
    QImage image;
    if (!reader.read(&image)) {
        // Within Qt's allocation limit anything readable decodes.
        if (double(size.width()) * size.height() * 4 >
            double(kImageAllocationLimitMiB) * 1024 * 1024)
            prepared.failureKey = L"PictureTooLarge";
        return prepared;
    }
    if (asIs) {
        prepared.bytes = std::move(*source);
        prepared.failureKey.clear();
        return prepared;
    }
    source.reset();
    image = Flattened(image);
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);  // target keeps it
    image = Padded(image, limits.minSide);

    std::string encoded;
    if (!jpeg) encoded = Encode(image, "png", -1);
    for (int attempt = 0; attempt < 8 && (encoded.empty() || encoded.size() > limits.maxBytes);
         ++attempt) {
        if (attempt >= 2) {
            // Smaller still, in proportion to how much too large it came out.
            const double shrink =
                std::sqrt(double(limits.maxBytes) / double(encoded.size())) * 0.95;
            const QSize smaller(std::max(limits.minSide, int(image.width() * shrink)),
                                std::max(limits.minSide, int(image.height() * shrink)));
            image = image.scaled(smaller, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        encoded = Encode(image, "jpeg", attempt == 0 ? kFirstJpegQuality : kLastJpegQuality);
    }
    if (encoded.empty() || encoded.size() > limits.maxBytes) {
        prepared.failureKey = L"PictureTooLarge";
        return prepared;
    }
    prepared.bytes = std::move(encoded);
    prepared.failureKey.clear();
    prepared.changed = true;
    return prepared;
}
