#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <string>
#include <string_view>

class CPaintManagerUI;

// A push button. With state images it draws the image of its state (normal,
// hot under the mouse, pushed, disabled; a missing one falls back to normal)
// over its background image and its text on top; without them the style
// sheet draws it. A click notifies "click".
class CButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString normalimage READ NormalImage WRITE SetNormalImage)
    Q_PROPERTY(QString hotimage READ HotImage WRITE SetHotImage)
    Q_PROPERTY(QString pushedimage READ PushedImage WRITE SetPushedImage)
    Q_PROPERTY(QString disabledimage READ DisabledImage WRITE SetDisabledImage)
    Q_PROPERTY(QString bkimage READ BkImage WRITE SetBkImage)
    Q_PROPERTY(QString foreimage READ ForeImage WRITE SetForeImage)
public:
    explicit CButtonUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);

    void SetText(std::wstring_view text);
    std::wstring GetText() const;
    void SetToolTip(std::wstring_view tip);

    void SetNormalImage(const QString& image);
    void SetHotImage(const QString& image);
    void SetPushedImage(const QString& image);
    void SetDisabledImage(const QString& image);
    void SetBkImage(const QString& image);
    // Drawn centred over the state image, at its own size (an icon).
    void SetForeImage(const QString& image);
    QString NormalImage() const { return normal_; }
    QString HotImage() const { return hot_; }
    QString PushedImage() const { return pushed_; }
    QString DisabledImage() const { return disabled_; }
    QString BkImage() const { return bk_; }
    QString ForeImage() const { return fore_; }
    // The image the button shows in its current state.
    QString CurrentStateImage() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString normal_, hot_, pushed_, disabled_, bk_, fore_;
};

// A radio option; options under one parent exclude each other. Changes notify
// "selectchanged", clicks "click".
class COptionUI : public QRadioButton {
    Q_OBJECT
public:
    explicit COptionUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    void Selected(bool selected) { setChecked(selected); }
    bool IsSelected() const { return isChecked(); }
    void SetText(std::wstring_view text);
};

// A check box with the same notifications as an option.
class CCheckBoxUI : public QCheckBox {
    Q_OBJECT
public:
    explicit CCheckBoxUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    void SetCheck(bool checked) { setChecked(checked); }
    bool GetCheck() const { return isChecked(); }
    void SetText(std::wstring_view text);
};
