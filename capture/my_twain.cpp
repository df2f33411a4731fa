#include "capture/my_twain.h"

#include <QByteArray>
#include <cstdint>
#include <cstring>

#include "app/image_file.h"
#include "app/working_folders.h"
#include "platform/file_io.h"
#include "platform/folders.h"

namespace {

std::uint32_t Read32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// What a native transfer may hold at most: 30,000 pixels a side, 24 bits.
constexpr std::size_t kMaxDibBytes = 40 + 1024 + 30000ull * 90000;

}  // namespace

QImage DibToImage(const void* dib, std::size_t maxBytes) {
    const auto* bytes = static_cast<const std::uint8_t*>(dib);
    if (!bytes || maxBytes < 40 || Read32(bytes) != 40) return {};
    const auto width = static_cast<std::int32_t>(Read32(bytes + 4));
    const auto signedHeight = static_cast<std::int32_t>(Read32(bytes + 8));
    const int bits = bytes[14] | bytes[15] << 8;
    const std::uint32_t compression = Read32(bytes + 16);
    if (width <= 0 || width > 30000 || signedHeight == 0 || signedHeight < -30000 ||
        signedHeight > 30000 || compression != 0 || (bits != 8 && bits != 24))
        return {};
    const std::size_t height =
        static_cast<std::size_t>(signedHeight > 0 ? signedHeight : -signedHeight);
    std::uint32_t colours = Read32(bytes + 32);
    if (bits == 8 && (colours == 0 || colours > 256)) colours = 256;
    const std::size_t palette = bits == 8 ? colours * 4 : 0;
    const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    const std::size_t size = 40 + palette + stride * height;
    if (size > maxBytes) return {};
    // The checks above say how long the DIB is (a transfer does not); its
    // pixels are read by Qt's BMP reader behind the file header it lacks.
    QByteArray file(14, '\0');
    const auto put32 = [&file](int at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(14 + size));
    put32(10, static_cast<std::uint32_t>(14 + 40 + palette));
    file.append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    return QImage::fromData(file, "BMP");
}

CMyTwain::CMyTwain() : scanFolder_(ScannerFolder()) {}

CMyTwain::~CMyTwain() { ClearScans(); }

void CMyTwain::CopyImage(TW_HANDLE dib, const TW_IMAGEINFO& /*info*/) {
    if (!FolderExists(scanFolder_) && !CreateFolderTree(scanFolder_)) return;
    std::wstring path = scanFolder_ + L"/pic.jpg";
    for (int n = 1; FileExists(path); ++n)
        path = scanFolder_ + L"/pic" + std::to_wstring(n) + L".jpg";
    const QImage page = DibToImage(dib, kMaxDibBytes);
    if (page.isNull()) return;  // a page that cannot be read is dropped; the others go on
    if (SaveImageFresh(page, path, "jpeg", 60)) scannedFiles_.push_back(path);
}

void CMyTwain::ClearScans() {
    CleanFolder(scanFolder_, L".jpg", false);
    scannedFiles_.clear();
}
