// The barcode reader module: ZXing behind the one function the program uses.
#include "recognition/barcode_reader_module.h"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <QImage>
#include <QString>
#include <algorithm>

namespace {

using ZXing::BarcodeFormat;

constexpr struct {
    BarcodeFormat format;
    const wchar_t* name;
} kFormats[] = {
    {BarcodeFormat::QRCode, L"QR"},
    {BarcodeFormat::MicroQRCode, L"QR"},
    {BarcodeFormat::DataMatrix, L"Data Matrix"},
    {BarcodeFormat::Aztec, L"Aztec"},
    {BarcodeFormat::PDF417, L"PDF417"},
    {BarcodeFormat::EAN13, L"EAN-13"},
    {BarcodeFormat::EAN8, L"EAN-8"},
    {BarcodeFormat::UPCA, L"UPC-A"},
    {BarcodeFormat::UPCE, L"UPC-E"},
    {BarcodeFormat::Code128, L"Code 128"},
    {BarcodeFormat::Code39, L"Code 39"},
};

ZXing::DecodeHints Hints() {
    ZXing::BarcodeFormats formats;
    for (const auto& known : kFormats) formats |= known.format;
    ZXing::DecodeHints hints;
    // Linear codes whose patterns ordinary print can imitate (ITF, Codabar)
    // are not looked for: a number on a picture stays text.
    hints.setFormats(formats);
    // Upright and turned codes are both looked for; the denser scan of the
    // harder mode doubled the time on a full-screen capture without finding
    // more on screens and photos of ordinary codes.
    hints.setTryHarder(false);
    hints.setTryRotate(true);
    hints.setMaxNumberOfSymbols(32);
    return hints;
}

const wchar_t* FormatName(BarcodeFormat format) {
    for (const auto& known : kFormats)
        if (known.format == format) return known.name;
    return L"Barcode";
}

std::vector<FoundBarcode> Find(const QImage& picture) {
    std::vector<FoundBarcode> found;
    if (picture.isNull()) return found;
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    if (grey.isNull()) return found;
    static const ZXing::DecodeHints hints = Hints();
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine()));
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
        if (!result.isValid()) continue;
        FoundBarcode barcode;
        barcode.format = FormatName(result.format());
        barcode.text = QString::fromStdString(result.text()).toStdWString();
        const auto& position = result.position();
        const ZXing::PointI corners[] = {position.topLeft(), position.topRight(),
                                         position.bottomRight(), position.bottomLeft()};
        for (int i = 0; i < 4; ++i) barcode.corners[i] = {corners[i].x, corners[i].y};
        found.push_back(std::move(barcode));
    }
    std::sort(found.begin(), found.end(), [](const FoundBarcode& a, const FoundBarcode& b) {
        return std::pair(a.corners[0][1], a.corners[0][0]) <
               std::pair(b.corners[0][1], b.corners[0][0]);
    });
    return found;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const BarcodeReaderModule*
TaviocrBarcodeReader() {
    static const BarcodeReaderModule module{Find};
    return &module;
}
