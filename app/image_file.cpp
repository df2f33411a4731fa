#include "app/image_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImageWriter>

#include "platform/file_io.h"
#include "platform/private_folder.h"

PictureReader::PictureReader(const std::wstring& path) {
    const std::string name = NarrowPath(path);
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file_.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return;
    }
    QImageReader::setAllocationLimit(kImageAllocationLimitMiB);
    reader_.setDevice(&file_);
}

QImage PictureReader::Read() {
    QImage image;
    if (IsOpen()) reader_.read(&image);
    return image;
}

bool SaveImageFresh(const QImage& image, const std::wstring& path, const char* format,
                    int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0) writer.setQuality(quality);
    if (!writer.write(image)) return false;
    return WriteFreshFile(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}
