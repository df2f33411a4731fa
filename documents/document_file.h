#pragma once

#include <QImage>
#include <optional>
#include <string>

// Files of several pages that the batch reads page by page: PDF documents
// (through Poppler) and TIFF files with more than one picture.
enum class DocumentKind { Picture, Pdf, MultiPageTiff };

// What the file is, judged by its content (a PDF starts with "%PDF-"), not
// by its name.
DocumentKind KindOfFile(const std::wstring& path);

// A document's pages, or why it cannot be read: the message key
// "DocumentLocked" (a password), "DocumentDamaged" or "DocumentEmpty".
struct DocumentOpening {
    int pages = 0;
    std::wstring failureKey;
};
DocumentOpening OpenDocument(const std::wstring& path);

// One page (from 0) drawn at the resolution, grey on white, and the text its
// text layer carries (empty for a scanned page or a TIFF); nothing when the
// page cannot be drawn.
struct DocumentPage {
    QImage picture;
    std::wstring textLayer;
};
std::optional<DocumentPage> RenderDocumentPage(const std::wstring& path, int index, int dpi);
