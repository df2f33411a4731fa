#pragma once

#include <array>
#include <string>
#include <vector>

class QImage;

// Barcodes and matrix codes found on a picture, shown beside its text (never
// instead of it): one line each, before the text, "QR: https://…".
struct FoundBarcode {
    std::wstring format;  // "QR", "EAN-13", "Code 128", ...
    std::wstring text;
    // The corners in the picture's pixels: top left, top right, bottom
    // right, bottom left (x, y).
    std::array<std::array<int, 2>, 4> corners{};
};

// Every QR, Data Matrix, Aztec, PDF417, EAN/UPC and Code 128/39 symbol on the
// picture, in reading order (top to bottom, then left to right).
std::vector<FoundBarcode> FindBarcodes(const QImage& picture);
// The same for a picture file; none when it cannot be read.
std::vector<FoundBarcode> FindBarcodesInFile(const std::wstring& path);

// The line a barcode is shown as.
std::wstring BarcodeLine(const FoundBarcode& barcode);
