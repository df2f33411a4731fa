#include "app/image_file.h"

#include <QBuffer>
#include <QImageWriter>

#include "platform/private_folder.h"

bool SaveImageFresh(const QImage& image, const std::wstring& path, const char* format,
                    int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0) writer.setQuality(quality);
    if (!writer.write(image)) return false;
    return WriteFreshFile(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}
