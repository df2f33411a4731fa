// The PDF reader module: Poppler behind the two functions the program uses.
#include "documents/pdf_reader_module.h"

#include <poppler-qt6.h>

#include <QFile>
#include <memory>
#include <mutex>

namespace {

// Poppler keeps a document's parsed structure; the pages of one document
// are drawn one after another, so the last one opened is kept. A document is
// used by one thread at a time.
struct OpenPdf {
    std::mutex mutex;
    std::string path;
    std::unique_ptr<Poppler::Document> document;
};

OpenPdf& LastPdf() {
    static OpenPdf pdf;
    return pdf;
}

Poppler::Document* LoadPdf(OpenPdf& pdf, const std::string& path) {
    if (pdf.path != path || !pdf.document) {
        pdf.document = Poppler::Document::load(QFile::decodeName(QByteArray::fromStdString(path)));
        pdf.path = path;
        if (pdf.document) {
            pdf.document->setRenderHint(Poppler::Document::Antialiasing);
            pdf.document->setRenderHint(Poppler::Document::TextAntialiasing);
        }
    }
    return pdf.document.get();
}

DocumentOpening Open(const std::string& path) {
    DocumentOpening opening;
    OpenPdf& pdf = LastPdf();
    const std::lock_guard lock(pdf.mutex);
    pdf.document.reset();  // read afresh: the file may have changed
    const Poppler::Document* document = LoadPdf(pdf, path);
    if (!document)
        opening.failureKey = L"DocumentDamaged";
    else if (document->isLocked())
        opening.failureKey = L"DocumentLocked";
    else if ((opening.pages = document->numPages()) <= 0)
        opening.failureKey = L"DocumentEmpty";
    return opening;
}

std::optional<DocumentPage> Render(const std::string& path, int index, int dpi) {
    OpenPdf& pdf = LastPdf();
    const std::lock_guard lock(pdf.mutex);
    Poppler::Document* document = LoadPdf(pdf, path);
    if (!document || document->isLocked()) return std::nullopt;
    const std::unique_ptr<Poppler::Page> pdfPage = document->page(index);
    if (!pdfPage) return std::nullopt;
    DocumentPage page;
    page.picture = pdfPage->renderToImage(dpi, dpi);
    if (page.picture.isNull()) return std::nullopt;
    page.picture.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
    page.picture.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
    page.textLayer = pdfPage->text(QRectF()).toStdWString();
    return page;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const PdfReaderModule* TaviocrPdfReader() {
    static const PdfReaderModule module{Open, Render};
    return &module;
}
