#pragma once

#include <QFrame>
#include <QScrollArea>

class CPaintManagerUI;
class QVBoxLayout;

class CListUI;

// One row of a list, built from a row layout. Clicking it selects it.
class CListContainerElementUI : public QFrame {
    Q_OBJECT
public:
    explicit CListContainerElementUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    CListUI* GetOwner() const;
    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool selected_ = false;
};

// A vertical, scrolling list of rows. Selecting a row notifies "itemselect"
// with wParam = its index.
class CListUI : public QScrollArea {
    Q_OBJECT
public:
    explicit CListUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);

    bool Add(QWidget* row);
    bool Remove(QWidget* row);
    void RemoveAll();
    int GetCount() const;
    QWidget* GetItemAt(int index) const;
    int GetItemIndex(const QWidget* row) const;
    // The row that holds a control (a button inside a row), or null.
    QWidget* RowOf(const QWidget* control) const;
    bool SelectItem(int index);
    int GetCurSel() const { return selected_; }

private:
    CPaintManagerUI* manager_;
    QWidget* content_;
    QVBoxLayout* rows_;
    int selected_ = -1;
};
