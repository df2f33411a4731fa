#pragma once

#include <QLabel>
#include <string>
#include <string_view>

class CPaintManagerUI;

// A text label; with the HTML flag its text is markup (links, bold, colours).
class CLabelUI : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool showhtml READ IsShowHtml WRITE SetShowHtml)
    Q_PROPERTY(QString bkimage READ BkImage WRITE SetBkImage)
public:
    explicit CLabelUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);

    void SetText(std::wstring_view text);
    std::wstring GetText() const;
    void SetShowHtml(bool html);
    bool IsShowHtml() const { return showHtml_; }
    void SetBkImage(const QString& image);
    QString BkImage() const { return bkImage_; }
    void SetToolTip(std::wstring_view tip);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool showHtml_ = false;
    QString bkImage_;
};
