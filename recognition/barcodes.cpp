#include "recognition/barcodes.h"

#include <QImage>
#include <algorithm>

#include "app/image_file.h"
#include "app/program_module.h"
#include "platform/text.h"
#include "recognition/barcode_reader_module.h"

const BarcodeReaderModule* LoadBarcodeReader() {
    static const BarcodeReaderModule* const module = []() -> const BarcodeReaderModule* {
        const auto get = reinterpret_cast<decltype(&TaviocrBarcodeReader)>(
            ProgramModuleEntry(L"barcode_reader.so", "TaviocrBarcodeReader"));
        return get ? get() : nullptr;
    }();
    return module;
}

std::vector<FoundBarcode> FindBarcodes(const QImage& picture) {
    if (picture.isNull()) return {};
    // Without the module a picture's text is still read, without its codes.
    const BarcodeReaderModule* reader = LoadBarcodeReader();
    return reader ? reader->find(picture) : std::vector<FoundBarcode>();
}

std::vector<FoundBarcode> FindBarcodesInFile(const std::wstring& path) {
    return FindBarcodes(PictureReader(path).Read());
}

std::wstring BarcodeLine(const FoundBarcode& barcode) {
    // A code's text may hold line breaks; its line stays one line.
    std::wstring text = barcode.text;
    std::replace_if(
        text.begin(), text.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
    return barcode.format + L": " + text;
}
