#include "toolkit/controls/button_ui.h"

#include <QPainter>
#include <QStyleOptionButton>

#include "toolkit/controls/skin_image.h"
#include "toolkit/paint_manager.h"

namespace {

template <typename Button>
void ConnectSelection(Button* button, CPaintManagerUI* manager) {
    if (!manager) return;
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [button, manager] { manager->SendNotify(button, kNotifyClick); });
    QObject::connect(button, &QAbstractButton::toggled, button,
                     [button, manager] { manager->SendNotify(button, kNotifySelectChanged); });
}

QString Wide(std::wstring_view text) { return QString::fromStdWString(std::wstring(text)); }

}  // namespace

CButtonUI::CButtonUI(QWidget* parent, CPaintManagerUI* manager) : QPushButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setAutoDefault(false);
    if (manager)
        connect(this, &QAbstractButton::clicked, this,
                [this, manager] { manager->SendNotify(this, kNotifyClick); });
}

void CButtonUI::SetText(std::wstring_view text) {
    setText(Wide(text));
    UpdateAccessibleName(this);
}

std::wstring CButtonUI::GetText() const { return text().toStdWString(); }
void CButtonUI::SetToolTip(std::wstring_view tip) { setToolTip(Wide(tip)); }

void CButtonUI::SetNormalImage(const QString& image) {
    normal_ = image;
    update();
}
void CButtonUI::SetHotImage(const QString& image) {
    hot_ = image;
    update();
}
void CButtonUI::SetPushedImage(const QString& image) {
    pushed_ = image;
    update();
}
void CButtonUI::SetDisabledImage(const QString& image) {
    disabled_ = image;
    update();
}
void CButtonUI::SetBkImage(const QString& image) {
    bk_ = image;
    update();
}
void CButtonUI::SetForeImage(const QString& image) {
    fore_ = image;
    update();
}

QString CButtonUI::CurrentStateImage() const {
    if (!isEnabled() && !disabled_.isEmpty()) return disabled_;
    if (isEnabled() && isDown() && !pushed_.isEmpty()) return pushed_;
    if (isEnabled() && underMouse() && !hot_.isEmpty()) return hot_;
    return normal_;
}

void CButtonUI::paintEvent(QPaintEvent* event) {
    const QString state = CurrentStateImage();
    if (state.isEmpty() && bk_.isEmpty() && fore_.isEmpty()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (state.isEmpty()) {
        // Style-sheet frame, then the images over it.
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        option.icon = QIcon();
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    }
    PaintSkinImage(painter, this, rect(), bk_);
    PaintSkinImage(painter, this, rect(), state);
    if (!fore_.isEmpty()) {
        const QPixmap icon = CPaintManagerUI::LoadImage(ParseSkinImage(fore_).file.toStdString(),
                                                        devicePixelRatioF());
        if (!icon.isNull()) {
            QSize size = icon.deviceIndependentSize().toSize();
            size.scale(size.boundedTo(this->size()), Qt::KeepAspectRatio);
            QRect target(QPoint(0, 0), size);
            target.moveCenter(rect().center());
            if (!text().isEmpty()) target.moveTop(height() / 2 - size.height() - 2);
            painter.drawPixmap(target, icon);
        }
    }
    if (!text().isEmpty()) {
        QRect area = rect();
        if (!fore_.isEmpty()) area.setTop(height() / 2 + 2);
        style()->drawItemText(&painter, area, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                              isEnabled(), text(), QPalette::ButtonText);
    }
}

void CButtonUI::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    update();
}

void CButtonUI::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    update();
}

COptionUI::COptionUI(QWidget* parent, CPaintManagerUI* manager) : QRadioButton(parent) {
    ConnectSelection(this, manager);
}

void COptionUI::SetText(std::wstring_view text) {
    setText(Wide(text));
    UpdateAccessibleName(this);
}

CCheckBoxUI::CCheckBoxUI(QWidget* parent, CPaintManagerUI* manager) : QCheckBox(parent) {
    ConnectSelection(this, manager);
}

void CCheckBoxUI::SetText(std::wstring_view text) {
    setText(Wide(text));
    UpdateAccessibleName(this);
}
