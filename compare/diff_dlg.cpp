#include "compare/diff_dlg.h"

#include <QDir>
#include <QScrollBar>
#include <QUrl>
#include <QWidget>
#include <algorithm>

#include "app/process_globals.h"
#include "compare/web_engine_loader.h"
#include "dialogs/message_box.h"
#include "dialogs/message_dlg.h"
#include "platform/file_io.h"
#include "toolkit/controls/edit_ui.h"
#include "toolkit/controls/label_ui.h"
#include "toolkit/controls/webkit_ui.h"

namespace {
// Popup, visible, clipping, maximised, caption, system menu, sizing border.
constexpr std::uint32_t kCompareWindowStyle = 0x97CC0000;

}  // namespace

CDiffDlg::CDiffDlg(std::wstring imagePath, std::wstring text)
    : CSkinDialog(L"dlg_diff"), imagePath_(std::move(imagePath)), text_(std::move(text)) {}

std::wstring ComparePageUrl(const std::wstring& imagePath) {
    QString image = QString::fromStdWString(imagePath);
    if (image.startsWith(QLatin1String("\\\\"))) image.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // Percent-encoded UTF-8; slashes and colons stay readable. A path the
    // page could not be given whole is not given at all.
    QByteArray encoded = QUrl::toPercentEncoding(image, "/:!'()*");
    if (encoded.size() >= static_cast<qsizetype>(kMaxEncodedPicturePath)) encoded.clear();
    const QUrl page = QUrl::fromLocalFile(
        QDir(QString::fromStdWString(Globals().ExeFolder)).filePath(QStringLiteral("image.html")));
    return (page.toString(QUrl::FullyEncoded) + QStringLiteral("?img=") +
            QString::fromLatin1(encoded))
        .toStdWString();
}

void CDiffDlg::InitWindow() {
    CenterWindow();
    web_ = Find<CWkeWebkitUI>(L"wke");
    if (!LoadWebEngine()) {
        ShowMessageByKey(L"InitNodeDllFailed", GetParentHWND(), kStyleError);
        PostMessageW(WM_CLOSE);
        return;
    }
    if (!web_) return;
    if (WebEngine().setMemoryCacheEnable && web_->GetWebView())
        WebEngine().setMemoryCacheEnable(web_->GetWebView(), false);
    web_->Navigate(ComparePageUrl(imagePath_));
}

void CDiffDlg::OnWindowInit() {
    // "Proofread — scan.png": the window says which picture it shows.
    if (auto* caption = Find<CLabelUI>(L"caption")) {
        std::wstring name = FileNamePart(imagePath_);
        // A long name keeps its start and its extension on one line.
        constexpr std::size_t kShown = 40;
        if (name.size() > kShown)
            name = name.substr(0, kShown - 12) + L"\u2026" + name.substr(name.size() - 11);
        const std::wstring title = caption->GetText() + L" \u2014 " + name;
        caption->setWordWrap(false);
        caption->SetText(title);
        if (GetWidget()) GetWidget()->setWindowTitle(QString::fromStdWString(title));
    }
    if (auto* pane = Find<CRichEditUI>(L"ocrText")) {
        pane->verticalScrollBar()->setFixedWidth(12);
        pane->setReadOnly(false);
        pane->SetText(text_);
    }
    ShowWindow(SW_SHOWMAXIMIZED);
}

std::wstring CDiffDlg::EditedText() const {
    const auto* pane = Find<CRichEditUI>(L"ocrText");
    return pane ? pane->GetText() : text_;
}

void CDiffDlg::ApplyZoom(double step) {
    zoom_ = std::max(static_cast<float>(zoom_ + step), kMinZoom);
    if (web_ && web_->GetWebView() && WebEngine().setZoomFactor)
        WebEngine().setZoomFactor(web_->GetWebView(), zoom_);
}

void CDiffDlg::OnEscapeKey() { Close(); }

LRESULT CDiffDlg::OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (const std::wstring edited = EditedText(); edited != text_) text_ = edited;
    return CSkinDialog::OnClose(message, wParam, lParam, handled);
}

void CDiffDlg::OnClick(TNotifyUI& msg) {
    const std::wstring& name = msg.sName;
    if (name == L"btnClose") {
        Close();
    } else if (name == L"btnMax") {
        SendMessageW(WM_SYSCOMMAND, SC_MAXIMIZE);
    } else if (name == L"btnRestore") {
        SendMessageW(WM_SYSCOMMAND, SC_RESTORE);
    } else if (name == L"ZoomIn") {
        ApplyZoom(-0.1);  // this button makes the picture smaller
    } else if (name == L"ZoomOut") {
        ApplyZoom(+0.1);
    } else if (name == L"Rotate") {
        if (web_) web_->ExecuteJS(L"butt()");
    } else if (name == L"Undo") {
        if (EditedText() == text_) return;
        if (ShowMessageByKey(L"UndoOCRText", GetHWND(), kStyleTwoButtons) == kMessageYes)
            if (auto* pane = Find<CRichEditUI>(L"ocrText")) pane->SetText(text_);
    }
}

LRESULT CDiffDlg::OnSysCommand(UINT message, WPARAM command, LPARAM lParam, bool& handled) {
    const bool before = GetWidget() && GetWidget()->isMaximized();
    const LRESULT result = CSkinDialog::OnSysCommand(message, command, lParam, handled);
    // The desktop applies the new state later: the command says what it will be.
    const bool after =
        GetWidget() && ((command & 0xFFF0) == SC_MAXIMIZE ||
                        ((command & 0xFFF0) != SC_RESTORE && GetWidget()->isMaximized()));
    if (GetWidget() && before != after) {
        SetControlVisible(L"btnMax", !after);
        SetControlVisible(L"btnRestore", after);
    }
    return result;
}

std::wstring RunCompareView(HWND owner, const std::wstring& imagePath, const std::wstring& text) {
    CDiffDlg dialog(imagePath, text);
    if (!dialog.Create(owner, MessageCaption(), kCompareWindowStyle)) return text;
    dialog.CenterWindow();
    dialog.ShowModal();
    return dialog.Text();
}
