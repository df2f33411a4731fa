#pragma once

#include <QStackedWidget>

class CPaintManagerUI;
class QPropertyAnimation;

// Pages of which one shows. A change notifies "tabselect" (wParam = the new
// page, lParam = the one left).
class CTabLayoutUI : public QStackedWidget {
    Q_OBJECT
public:
    explicit CTabLayoutUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    bool SelectItem(int index);
    int GetCurSel() const { return currentIndex(); }
    int GetCount() const { return count(); }

protected:
    virtual void OnPageChanged(int /*from*/, int /*to*/) {}

private:
    CPaintManagerUI* manager_;
};

// The same, with the new page sliding in from the side it lies on.
class CAnimationTabLayoutUI : public CTabLayoutUI {
    Q_OBJECT
public:
    explicit CAnimationTabLayoutUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    static constexpr int kSlideMilliseconds = 220;
    bool IsAnimating() const;

protected:
    void OnPageChanged(int from, int to) override;

private:
    QPropertyAnimation* slide_ = nullptr;
};
