#include "toolkit/controls/label_ui.h"

#include <QPainter>

#include "toolkit/controls/skin_image.h"
#include "toolkit/paint_manager.h"

CLabelUI::CLabelUI(QWidget* parent, CPaintManagerUI*) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
}

void CLabelUI::SetText(std::wstring_view text) {
    setText(QString::fromStdWString(std::wstring(text)));
    UpdateAccessibleName(this);
}

std::wstring CLabelUI::GetText() const { return text().toStdWString(); }

void CLabelUI::SetShowHtml(bool html) {
    showHtml_ = html;
    setTextFormat(html ? Qt::RichText : Qt::PlainText);
    setOpenExternalLinks(html);
    UpdateAccessibleName(this);
}

void CLabelUI::SetBkImage(const QString& image) {
    bkImage_ = image;
    update();
}

void CLabelUI::SetToolTip(std::wstring_view tip) {
    setToolTip(QString::fromStdWString(std::wstring(tip)));
}

void CLabelUI::paintEvent(QPaintEvent* event) {
    if (!bkImage_.isEmpty()) {
        QPainter painter(this);
        PaintSkinImage(painter, this, rect(), bkImage_);
    }
    QLabel::paintEvent(event);
}
