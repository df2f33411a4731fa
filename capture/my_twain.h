#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "capture/twain.h"

// Keeps each scanned page as a JPEG in the scan folder ("pic.jpg", then
// "pic1.jpg", "pic2.jpg", ...), in the order the pages came.
class CMyTwain : public CTwain {
public:
    CMyTwain();
    ~CMyTwain() override;

    void CopyImage(TW_HANDLE dib, const TW_IMAGEINFO& info) override;
    // Deletes the previous scan's pages and forgets them.
    void ClearScans();
    const std::vector<std::wstring>& ScannedFiles() const { return scannedFiles_; }
    const std::wstring& ScanFolder() const { return scanFolder_; }

private:
    std::vector<std::wstring> scannedFiles_;
    std::wstring scanFolder_;
};

// A packed DIB (BITMAPINFOHEADER, palette, rows bottom-up) as an image; a
// null image when the header does not describe the bytes that follow.
QImage DibToImage(const void* dib, std::size_t maxBytes);
