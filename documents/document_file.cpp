#include "documents/document_file.h"

#include <QFile>
#include <QImageReader>

#include "app/image_file.h"
#include "documents/pdf_reader_module.h"
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

}  // namespace

DocumentKind KindOfFile(const std::wstring& path) {
    if (StartsAsPdf(path)) return DocumentKind::Pdf;
    if (TiffPages(path) > 1) return DocumentKind::MultiPageTiff;
    return DocumentKind::Picture;
}

DocumentOpening OpenDocument(const std::wstring& path) {
    DocumentOpening opening;
    if (StartsAsPdf(path)) {
        const PdfReaderModule* pdf = LoadPdfReader();
        if (!pdf) {
            opening.failureKey = L"DocumentDamaged";
            return opening;
        }
        return pdf->open(NarrowPath(path));
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
    const PdfReaderModule* pdf = LoadPdfReader();
    return pdf ? pdf->render(NarrowPath(path), index, dpi) : std::nullopt;
}
