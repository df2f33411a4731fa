#pragma once

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <string>

// Decoding limit for any image: 20,000 × 20,000 at 32 bits needs 1.6 GB,
// which the program refuses rather than tries.
inline constexpr int kImageAllocationLimitMiB = 1024;

// Qt's image reader on a picture file, opened by the file system's own bytes
// of its name (names that are not UTF-8 too), only when it is a regular file
// (a FIFO or a device would block the reader), with the allocation limit.
class PictureReader {
public:
    explicit PictureReader(const std::wstring& path);
    PictureReader(const PictureReader&) = delete;
    PictureReader& operator=(const PictureReader&) = delete;

    bool IsOpen() const { return file_.isOpen(); }
    QImageReader& Reader() { return reader_; }
    // The whole picture; a null image when it cannot be read.
    QImage Read();

private:
    QFile file_;
    QImageReader reader_;
};

// Saves a picture into a work folder as a new private file: whatever file or
// link had that name is replaced, never written through. quality -1 is the
// format's default. False (and no file) when encoding or writing fails.
bool SaveImageFresh(const QImage& image, const std::wstring& path, const char* format,
                    int quality = -1);
