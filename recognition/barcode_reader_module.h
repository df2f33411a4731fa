#pragma once

#include <vector>

#include "recognition/barcodes.h"

// The barcode reader (ZXing) stays out of the resident program until the
// first picture of text is read: it is a module of its own in the program
// folder, "barcode_reader.so", loaded on first use.
struct BarcodeReaderModule {
    // The codes on the picture, in reading order.
    std::vector<FoundBarcode> (*find)(const QImage& picture);
};

// What the module hands over: the one symbol it exports.
extern "C" const BarcodeReaderModule* TaviocrBarcodeReader();

// The module, loaded once; null when it cannot be loaded.
const BarcodeReaderModule* LoadBarcodeReader();
