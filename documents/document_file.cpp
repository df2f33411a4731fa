#include "documents/document_file.h"

#include <poppler-qt6.h>

#include <QFile>
#include <QImageReader>
#include <memory>
#include <mutex>

#include "app/image_file.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

QString QtPath(const std::wstring& path) {
    return QFile::decodeName(QByteArray::fromStdString(NarrowPath(path)));
}

QByteArray FirstBytes(const std::wstring& path) {
    QFile file(QtPath(path));
    return file.open(QIODevice::ReadOnly) ? file.read(5) : QByteArray();
}

bool StartsAsPdf(const std::wstring& path) { return FirstBytes(path) == "%PDF-"; }

int TiffPages(const std::wstring& path) {
    // Only a TIFF is asked for its pages: asking Qt's readers about any
    // picture loads every format plug-in first.
    const QByteArray start = FirstBytes(path);
    if (!start.startsWith(QByteArray("II*\0", 4)) && !start.startsWith(QByteArray("MM\0*", 4)))
        return 0;
    PictureReader picture(path);
    if (!picture.IsOpen() || picture.Reader().format() != "tiff") return 0;
    return picture.Reader().imageCount();
}

// Poppler keeps a document's parsed structure; the pages of one document
// are drawn one after another, so the last one opened is kept. A document is
// used by one thread at a time.
struct OpenPdf {
    std::mutex mutex;
    std::wstring path;
    std::unique_ptr<Poppler::Document> document;
};

OpenPdf& LastPdf() {
    static OpenPdf pdf;
    return pdf;
}

Poppler::Document* LoadPdf(OpenPdf& pdf, const std::wstring& path) {
    if (pdf.path != path || !pdf.document) {
        pdf.document = Poppler::Document::load(QtPath(path));
        pdf.path = path;
        if (pdf.document) {
            pdf.document->setRenderHint(Poppler::Document::Antialiasing);
            pdf.document->setRenderHint(Poppler::Document::TextAntialiasing);
        }
    }
    return pdf.document.get();
}

}  // namespace

DocumentKind KindOfFile(const std::wstring& path) {
    if (StartsAsPdf(path)) return DocumentKind::Pdf;
    if (TiffPages(path) > 1) return DocumentKind::MultiPageTiff;
    return DocumentKind::Picture;
}

DocumentOpening OpenDocument(const std::wstring& path) {
    DocumentOpening opening;
    if (StartsAsPdf(path)) {
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
    opening.pages = TiffPages(path);
    if (opening.pages <= 0) opening.failureKey = L"DocumentDamaged";
    return opening;
}

std::optional<DocumentPage> RenderDocumentPage(const std::wstring& path, int index, int dpi) {
    DocumentPage page;
    if (!StartsAsPdf(path)) {
        PictureReader picture(path);
        if (!picture.IsOpen() || !picture.Reader().jumpToImage(index)) return std::nullopt;
        page.picture = picture.Reader().read();
        if (page.picture.isNull()) return std::nullopt;
        return page;
    }
    OpenPdf& pdf = LastPdf();
    const std::lock_guard lock(pdf.mutex);
    Poppler::Document* document = LoadPdf(pdf, path);
    if (!document || document->isLocked()) return std::nullopt;
    const std::unique_ptr<Poppler::Page> pdfPage = document->page(index);
    if (!pdfPage) return std::nullopt;
    page.picture = pdfPage->renderToImage(dpi, dpi);
    if (page.picture.isNull()) return std::nullopt;
    page.picture.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
    page.picture.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
    page.textLayer = pdfPage->text(QRectF()).toStdWString();
    return page;
}
