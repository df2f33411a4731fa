#include "toolkit/controls/tab_layout_ui.h"

#include <QPropertyAnimation>

#include "toolkit/paint_manager.h"

CTabLayoutUI::CTabLayoutUI(QWidget* parent, CPaintManagerUI* manager)
    : QStackedWidget(parent), manager_(manager) {}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= count()) return false;
    const int old = currentIndex();
    if (old == index) return true;
    setCurrentIndex(index);
    OnPageChanged(old, index);
    if (manager_) manager_->SendNotify(this, kNotifyTabSelect, static_cast<WPARAM>(index), old);
    return true;
}

CAnimationTabLayoutUI::CAnimationTabLayoutUI(QWidget* parent, CPaintManagerUI* manager)
    : CTabLayoutUI(parent, manager) {}

bool CAnimationTabLayoutUI::IsAnimating() const {
    return slide_ && slide_->state() == QAbstractAnimation::Running;
}

void CAnimationTabLayoutUI::OnPageChanged(int from, int to) {
    QWidget* page = widget(to);
    if (!page || !isVisible()) return;
    if (slide_) slide_->stop();
    delete slide_;
    slide_ = new QPropertyAnimation(page, "pos", this);
    const int offset = (to > from ? 1 : -1) * width() / 3;
    slide_->setDuration(kSlideMilliseconds);
    slide_->setStartValue(QPoint(offset, 0));
    slide_->setEndValue(QPoint(0, 0));
    slide_->setEasingCurve(QEasingCurve::OutCubic);
    // One paint of the whole window once the page is in place (the control
    // map of test tools is written then).
    connect(slide_, &QAbstractAnimation::finished, this, [this] { window()->update(); });
    slide_->start();
}
