#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <string>
#include <string_view>

class CPaintManagerUI;

// One-line edit; its hint text shows while it is empty.
class CEditUI : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString tipvalue READ TipValue WRITE SetTipValueText)
public:
    explicit CEditUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    void SetText(std::wstring_view text);
    std::wstring GetText() const;
    void SetTipValue(std::wstring_view hint);
    void SetTipValueText(const QString& hint);
    QString TipValue() const { return placeholderText(); }
    void SetPasswordMode(bool password);
};

// Multi-line text, scrolling; read-only unless the skin says otherwise. Its
// text reads back with CR LF line ends.
class CRichEditUI : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CRichEditUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    void SetText(std::wstring_view text);
    std::wstring GetText() const;
};

// A drop-down list; a choice by the user notifies "itemselect" (wParam = index).
class CComboUI : public QComboBox {
    Q_OBJECT
public:
    explicit CComboUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    int GetCurSel() const { return currentIndex(); }
    bool SelectItem(int index);
    void AddItem(std::wstring_view text);
};
