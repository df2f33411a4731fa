#include "documents/searchable_pdf.h"

#include <unistd.h>

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/image_file.h"
#include "platform/file_io.h"
#include "platform/private_folder.h"
#include "platform/text.h"

namespace {

// A picture without a resolution of its own is taken as a screen's.
constexpr int kScreenDpi = 96;

int DpiOf(const QImage& image) {
    const int dpi = static_cast<int>(std::lround(image.dotsPerMeterY() * 0.0254));
    return dpi >= 50 && dpi <= 1200 ? dpi : kScreenDpi;
}

// Invisible text in one font whose height is fitted to each line: a viewer
// selects it where the line is, and text extraction reads it in order.
class TextLayer {
public:
    explicit TextLayer(QPainter& painter)
        : painter_(painter), font_(QStringLiteral("DejaVu Sans")) {
        font_.setPixelSize(100);
        // Without shaping there are no ligatures: "fi" must be found as the
        // two letters it was recognised as, not as one sign.
        font_.setStyleStrategy(QFont::PreferNoShaping);
        const QFontMetricsF metrics(font_);
        heightPerPixel_ = (metrics.ascent() + metrics.descent()) / 100.0;
        painter_.setPen(QColor(0, 0, 0, 0));
    }

    // The line's words, each stretched over its box; the space after a word
    // spans the gap to the next one, so the words keep their spaces.
    void Line(int top, int height, const std::vector<EngineWord>& words) {
        if (words.empty() || height <= 0) return;
        SetLineHeight(height);
        const double baseline = top + QFontMetricsF(font_).ascent();
        for (size_t i = 0; i < words.size(); ++i) {
            const EngineWord& word = words[i];
            const bool last = i + 1 == words.size();
            const double width =
                last ? word.width : std::max(word.width, words[i + 1].left - word.left);
            Run(QString::fromStdWString(last ? word.text : word.text + L" "), word.left, baseline,
                width);
        }
    }

    void Run(const QString& text, double left, double baseline, double width) {
        if (text.isEmpty() || width <= 0) return;
        const double natural = QFontMetricsF(font_).horizontalAdvance(text);
        if (natural <= 0) return;
        painter_.save();
        painter_.translate(left, baseline);
        painter_.scale(width / natural, 1.0);
        painter_.drawText(QPointF(0, 0), text);
        painter_.restore();
    }

    void SetLineHeight(double height) {
        font_.setPixelSize(std::max(1, static_cast<int>(std::lround(height / heightPerPixel_))));
        painter_.setFont(font_);
    }

private:
    QPainter& painter_;
    QFont font_;
    double heightPerPixel_ = 1.0;
};

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring line;
    for (wchar_t c : text + L"\n") {
        if (c == L'\r') continue;
        if (c != L'\n') {
            line += c;
            continue;
        }
        if (line.find_first_not_of(L" \t") != std::wstring::npos) lines.push_back(line);
        line.clear();
    }
    return lines;
}

void LayText(TextLayer& layer, const OcrResult& result, const QSize& size) {
    if (!result.engineLines.empty()) {
        for (const EngineLine& line : result.engineLines)
            layer.Line(line.top, line.height,
                       line.words.empty() ? std::vector<EngineWord>{line} : line.words);
        return;
    }
    if (!result.locations.empty() && result.locations.size() == result.textLines.size()) {
        for (size_t i = 0; i < result.textLines.size(); ++i) {
            const WordLocation& place = result.locations[i];
            EngineWord whole;
            whole.text = result.textLines[i];
            whole.left = place.left;
            whole.top = place.top;
            whole.width = place.width;
            whole.height = place.height;
            layer.Line(place.top, place.height, {whole});
        }
        return;
    }
    // No places: the lines one under another over the whole page.
    std::vector<std::wstring> lines;
    for (const std::wstring& entry : result.textLines)
        for (std::wstring& line : SplitLines(entry)) lines.push_back(std::move(line));
    if (lines.empty()) return;
    const double pitch =
        std::min(size.height() * 0.9 / static_cast<double>(lines.size()), size.height() / 20.0);
    for (size_t i = 0; i < lines.size(); ++i) {
        EngineWord whole;
        whole.text = lines[i];
        whole.left = size.width() / 20;
        whole.width = size.width() * 9 / 10;
        const int top = static_cast<int>(size.height() * 0.05 + pitch * static_cast<double>(i));
        layer.Line(top, static_cast<int>(pitch * 0.8), {whole});
    }
}

}  // namespace

bool WriteSearchablePdf(const std::wstring& path, const std::vector<SearchablePdfPage>& pages) {
    if (pages.empty()) return false;
    // Written aside and renamed into place: a failure leaves no half a file,
    // and a link in the way is replaced, never written through.
    const std::wstring partPath = path + L".part";
    const int fd = CreateFreshFile(partPath);
    if (fd < 0) return false;
    bool ok = true;
    {
        QFile file;
        ok = file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
        QPdfWriter pdf(&file);
        pdf.setCreator(QStringLiteral("TaviOCR"));
        pdf.setResolution(72);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        for (size_t i = 0; ok && i < pages.size(); ++i) {
            const QImage picture = PictureReader(pages[i].picture).Read();
            if (picture.isNull()) {
                ok = false;
                break;
            }
            const double points = 72.0 / DpiOf(picture);
            pdf.setPageSize(QPageSize(QSizeF(picture.width() * points, picture.height() * points),
                                      QPageSize::Point));
            if (i == 0)
                ok = painter.begin(&pdf);
            else
                ok = pdf.newPage();
            if (!ok) break;
            painter.resetTransform();
            painter.scale(points, points);  // from here on, the picture's pixels
            painter.drawImage(QPointF(0, 0), picture);
            TextLayer layer(painter);
            LayText(layer, pages[i].result, picture.size());
        }
        if (painter.isActive()) ok = painter.end() && ok;
        file.flush();
        ok = ok && file.error() == QFileDevice::NoError;
    }
    if (ok) ok = std::rename(NarrowPath(partPath).c_str(), NarrowPath(path).c_str()) == 0;
    if (!ok) std::remove(NarrowPath(partPath).c_str());
    return ok;
}
