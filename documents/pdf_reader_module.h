#pragma once

#include <optional>
#include <string>

#include "documents/document_file.h"

// Poppler and the libraries it pulls in (a few megabytes) stay out of the
// program's memory until the first PDF: the PDF reader is a module of its
// own in the program folder, "pdf_reader.so", loaded on first use.
struct PdfReaderModule {
    // The pages of the PDF at path (a file name as the file system spells it).
    DocumentOpening (*open)(const std::string& path);
    std::optional<DocumentPage> (*render)(const std::string& path, int index, int dpi);
};

// What the module hands over: the one symbol it exports.
extern "C" const PdfReaderModule* TaviocrPdfReader();

// The module, loaded once; null when it cannot be loaded.
const PdfReaderModule* LoadPdfReader();
