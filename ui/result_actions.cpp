// What the user does with results: the output folder, the clipboard, and
// proofreading a result against its picture.
#include <stdlib.h>
#include <unistd.h>

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPainter>

#include "app/diagnostics.h"
#include "app/settings.h"
#include "app/working_folders.h"
#include "documents/searchable_pdf.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "recognition/image_prep.h"
#include "recognition/result_text.h"
#include "toolkit/controls/edit_ui.h"
#include "toolkit/controls/list_ui.h"
#include "ui/main_frame.h"
#include "ui/main_modes.h"
#include "ui/open_url.h"
#include "ui/question_dialogs.h"

namespace {

// A result text file as UTF-16, without its byte-order mark: kept in the
// text, it would be written back after the file's own mark at every edit.
std::wstring ReadResultText(const std::wstring& path) {
    if (!HasExtensionNoCase(path, {L".txt"})) return {};
    const auto bytes = ReadWholeFile(path, 64 * 1024 * 1024);
    if (!bytes || bytes->empty()) return {};
    std::wstring text = DecodeUtf16Le(*bytes);
    if (text.starts_with(L'\uFEFF')) text.erase(0, 1);
    return text;
}

}  // namespace

void CMainFrame::SaveSearchablePdf() {
    std::vector<SearchablePdfPage> pages;
    for (const auto& [place, result] : batchResults_)
        if (place < fileList_.size()) pages.push_back({fileList_[place], result});
    if (pages.empty()) return;
    const std::wstring folder = outputFolder_.empty() ? GlobalSettings().SavePath : outputFolder_;
    const QString chosen = QFileDialog::getSaveFileName(
        GetWidget(), QString(), QString::fromStdWString(folder + L"/TaviOCR.pdf"),
        QStringLiteral("PDF (*.pdf)"));
    if (chosen.isEmpty()) return;
    std::wstring path = chosen.toStdWString();
    if (!HasExtensionNoCase(path, {L".pdf"})) path += L".pdf";
    if (!WriteSearchablePdf(path, pages)) ShowMessageLater(L"SaveResultFailed", kStyleError, path);
}

void CMainFrame::OpenOutputFolder() {
    if (outputFolder_.empty()) {
        // Only single or merged results so far: show where results go.
        OpenWithDefaultApp(GlobalSettings().SavePath);
        return;
    }
    if (!FolderExists(outputFolder_)) {
        RevealInFileManager(outputFolder_);  // a spreadsheet of a single table
        return;
    }
    const QDir folder(QString::fromStdWString(outputFolder_));
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (files.isEmpty())
        OpenWithDefaultApp(outputFolder_);
    else
        RevealInFileManager(outputFolder_ + L"/" + files.front().toStdWString());
}

void CMainFrame::CopyCurrentText() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return;
    // Editors and terminals here show a CR as "^M": the clipboard gets LF
    // line ends; the shown text and the result files keep theirs.
    QString text = QString::fromStdWString(currentText_);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    clipboard->setText(text);
    if (clipboard->text() != text) return;  // the clipboard did not take it
    if (GlobalSettings().RemindWhenCopy == 1) (new CMessageCopyDlg)->RunModal(GetHWND());
}

std::wstring StackIdCardImages(const std::wstring& frontPath, const std::wstring& backPath) {
    const std::wstring folder = IdCardFolder();
    CreateFolderTree(folder);
    const QImage front = LoadImageLimited(frontPath), back = LoadImageLimited(backPath);
    if (front.isNull() || back.isNull()) return {};
    QImage stacked(std::max(front.width(), back.width()), front.height() + back.height(),
                   QImage::Format_ARGB32);
    stacked.fill(Qt::transparent);
    {
        QPainter painter(&stacked);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QPoint(0, 0), front);
        painter.drawImage(QPoint(0, front.height()), back);
    }
    std::string name = NarrowPath(folder + L"idcXXXXXX.jpg");
    const int fd = ::mkstemps(name.data(), 4);
    if (fd < 0) return {};
    ::close(fd);
    if (!stacked.convertToFormat(QImage::Format_RGB32)
             .save(QString::fromStdString(name), "JPEG", 90))
        return {};
    return Utf8ToWide(name);
}

void CMainFrame::OnDiffText() {
    if (mergeMode_) {
        ShowMessageByKey(L"MergeBatchCannotDiff", GetHWND(), kStyleInformation);
        return;
    }
    if (fileList_.empty()) return;
    std::wstring image = fileList_.front();
    auto* pane = m_pm.FindControl<CRichEditUI>(L"ocrText");
    const std::wstring text = pane ? pane->GetText() : std::wstring();
    if (mainMode_ == MainMode::IdCard && fileList_.size() == 2)
        if (const std::wstring stacked = StackIdCardImages(fileList_[0], fileList_[1]);
            !stacked.empty())
            image = stacked;
    const std::wstring edited = proofread_(GetHWND(), image, text);
    if (!edited.empty() && edited != text) {
        if (pane) pane->SetText(edited);
        currentText_ = edited;
    }
}

void CMainFrame::OnListButtonDiff(QWidget* button) {
    auto* list = m_pm.FindControl<CListUI>(L"listFiles");
    QWidget* row = list ? list->RowOf(button) : nullptr;
    const int index = row ? list->GetItemIndex(row) : -1;
    if (index < 0) return;
    const std::size_t place = static_cast<std::size_t>(index) < rowPlaces_.size()
                                  ? rowPlaces_[static_cast<std::size_t>(index)]
                                  : static_cast<std::size_t>(index);
    if (place >= fileList_.size()) return;
    const std::wstring source = fileList_[place];
    const auto found = resultMap_.find(place);
    const std::wstring result = found == resultMap_.end() ? std::wstring() : found->second;
    if (result.empty()) {
        ShowMessageByKey(L"OCRNotResult", GetHWND(), kStyleInformation);
        return;
    }
    if (HasExtensionNoCase(result, {L".xlsx", L".xls"})) {
        OpenWithDefaultApp(result);
        return;
    }
    const std::wstring text = ReadResultText(result);
    if (text.empty()) WriteLog(L"[OnListButtonDiff] GetStringFromFile fail.");
    const std::wstring edited = proofread_(GetHWND(), source, text);
    if (!edited.empty() && edited != text && !SaveTextToFile(result, edited))
        ShowMessageByKeyFormat(L"SaveResultFailed", result, GetHWND(), kStyleError);
}
