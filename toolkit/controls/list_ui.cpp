#include "toolkit/controls/list_ui.h"

#include <QMouseEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "toolkit/paint_manager.h"

CListContainerElementUI::CListContainerElementUI(QWidget* parent, CPaintManagerUI*)
    : QFrame(parent) {}

CListUI* CListContainerElementUI::GetOwner() const {
    for (QWidget* up = parentWidget(); up; up = up->parentWidget())
        if (auto* list = qobject_cast<CListUI*>(up)) return list;
    return nullptr;
}

void CListContainerElementUI::SetSelected(bool selected) {
    selected_ = selected;
    setProperty("selected", selected);
    style()->unpolish(this);
    style()->polish(this);
}

void CListContainerElementUI::mousePressEvent(QMouseEvent* event) {
    QFrame::mousePressEvent(event);
    if (CListUI* list = GetOwner()) list->SelectItem(list->GetItemIndex(this));
}

CListUI::CListUI(QWidget* parent, CPaintManagerUI* manager)
    : QScrollArea(parent),
      manager_(manager),
      content_(new QWidget),
      rows_(new QVBoxLayout(content_)) {
    content_->setObjectName(QStringLiteral("qt_list_content"));
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(0);
    rows_->addStretch(1);
    setWidget(content_);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

bool CListUI::Add(QWidget* row) {
    if (!row) return false;
    rows_->insertWidget(rows_->count() - 1, row);  // before the closing stretch
    row->show();
    return true;
}

bool CListUI::Remove(QWidget* row) {
    const int index = GetItemIndex(row);
    if (index < 0) return false;
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    rows_->removeWidget(row);
    row->deleteLater();
    row->hide();
    return true;
}

void CListUI::RemoveAll() {
    while (GetCount() > 0) Remove(GetItemAt(0));
    selected_ = -1;
}

int CListUI::GetCount() const { return rows_->count() - 1; }

QWidget* CListUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return rows_->itemAt(index)->widget();
}

int CListUI::GetItemIndex(const QWidget* row) const {
    for (int i = 0; i < GetCount(); ++i)
        if (rows_->itemAt(i)->widget() == row) return i;
    return -1;
}

QWidget* CListUI::RowOf(const QWidget* control) const {
    for (const QWidget* up = control; up; up = up->parentWidget())
        if (up->parentWidget() == content_) return const_cast<QWidget*>(up);
    return nullptr;
}

bool CListUI::SelectItem(int index) {
    QWidget* row = GetItemAt(index);
    if (!row) return false;
    if (auto* old = qobject_cast<CListContainerElementUI*>(GetItemAt(selected_)))
        old->SetSelected(false);
    selected_ = index;
    if (auto* element = qobject_cast<CListContainerElementUI*>(row)) element->SetSelected(true);
    ensureWidgetVisible(row);
    if (manager_) manager_->SendNotify(this, kNotifyItemSelect, static_cast<WPARAM>(index));
    return true;
}
