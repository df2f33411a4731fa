// The main window's input list: adding images, the add-file area, the
// identity-card slots, result rows and the scanning animation.
#include <unistd.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QStandardPaths>
#include <cstdio>
#include <fstream>

#include "app/lang_format.h"
#include "app/language_file.h"
#include "app/process_globals.h"
#include "app/settings.h"
#include "app/working_folders.h"
#include "documents/document_file.h"
#include "documents/page_files.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "recognition/image_prep.h"
#include "toolkit/controls/button_ui.h"
#include "toolkit/controls/list_ui.h"
#include "toolkit/window_effects.h"
#include "ui/main_frame.h"
#include "ui/main_modes.h"

namespace {

constexpr std::size_t kMaxDroppedPath = 259;

const QString kImageFilter = QStringLiteral(
    "Image Files(PNG/JPG/JPEG/BMP/TIFF/PDF) (*.png *.jpg *.jpeg *.bmp *.tif *.tiff *.pdf)");
const QString kIdCardFilter =
    QStringLiteral("图片文件(PNG/JPG/JPEG/BMP) (*.png *.jpg *.jpeg *.bmp)");

}  // namespace

bool CMainFrame::AddImageFile(const std::wstring& path) {
    if (!FileExists(path)) return false;  // a FIFO or a device is no picture
    if (KindOfFile(path) != DocumentKind::Picture) {
        // A document's pages join the list one picture each, drawn only when
        // the batch reaches them.
        ExpandedDocument document = ExpandDocument(path);
        if (!document.failureKey.empty()) {
            ShowMessageLater(document.failureKey, kStyleInformation, FileNamePart(path));
            return false;
        }
        for (std::wstring& page : document.pages) fileList_.push_back(std::move(page));
        return true;
    }
    std::wstring stored = path;
    const AppSettings& settings = GlobalSettings();
    if (settings.CompressedSizeLimit) {
        const QImage image = LoadImageLimited(path);
        if (image.width() > settings.MaxImageSize || image.height() > settings.MaxImageSize) {
            const std::wstring copy = ResizeForUpload(image, path, settings.MaxImageSize);
            if (!copy.empty()) stored = copy;
        }
    }
    fileList_.push_back(std::move(stored));
    return true;
}

void CMainFrame::RefreshFileArea() {
    const std::size_t n = fileList_.size();
    if (n > 0) {
        SetVisible(L"LayoutAddPic1", false);
        SetVisible(L"LayoutAddPic2", true);
        SetBkImage(L"addFileIcon", L"../default/images/fileicon" +
                                       std::to_wstring(std::min<std::size_t>(n, 4)) + L".png");
        SetText(L"addFileText",
                n == 1 ? FormatLangText(LangText(L"AddPic1"), PictureDisplayName(fileList_.front()))
                       : FormatLangText(LangText(L"AddPicM"), static_cast<int>(n)));
        SetVisible(L"buttonAddPic", false);
        SetVisible(L"buttonOCR", true);
        ShowSpreadsheetMark(false);
        return;
    }
    SetVisible(L"LayoutAddPic1", true);
    SetVisible(L"LayoutAddPic2", false);
    if (mainMode_ == MainMode::IdCard) {
        SetVisible(L"buttonAddPic", false);
        SetVisible(L"buttonOCR", true);
        SetEnabled(L"buttonOCR", true);
    } else {
        SetVisible(L"buttonAddPic", true);
        SetVisible(L"buttonOCR", false);
    }
}

void CMainFrame::ForgetFiles() {
    ForgetDocumentPages(fileList_);
    const std::wstring copies = CompressFolder();
    for (const std::wstring& file : fileList_)
        if (file.starts_with(copies)) {
            std::remove(NarrowPath(file).c_str());
            ::rmdir(NarrowPath(file.substr(0, file.rfind(L'/'))).c_str());
        }
    fileList_.clear();
}

void CMainFrame::ClearFiles() {
    if (fileList_.empty()) return;
    ForgetFiles();
    resultMap_.clear();
    RefreshFileArea();
}

QString CMainFrame::ImageDialogFolder() const {
    // Where pictures were last taken from in this run, else the user's
    // Pictures folder, else home: never the folder the program started in.
    if (!lastImageFolder_.isEmpty() && QFileInfo(lastImageFolder_).isDir()) return lastImageFolder_;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

void CMainFrame::AddFilesWithDialog() {
    const QStringList names =
        QFileDialog::getOpenFileNames(GetWidget(), QString(), ImageDialogFolder(), kImageFilter);
    if (!names.isEmpty()) lastImageFolder_ = QFileInfo(names.first()).absolutePath();
    for (const QString& name : names) {
        // The list takes folders of at most 259 characters, as the dialog's name buffer did.
        if (QFileInfo(name).absolutePath().size() > 259) return RefreshFileArea();
    }
    for (const QString& name : names) AddImageFile(name.toStdWString());
    RefreshFileArea();
}

void CMainFrame::ChooseIdCardImage(bool front) {
    const QString name =
        QFileDialog::getOpenFileName(GetWidget(), QString(), ImageDialogFolder(), kIdCardFilter);
    if (name.isEmpty()) return;
    lastImageFolder_ = QFileInfo(name).absolutePath();
    TakeIdCardImage(front, name.toStdWString());
}

void CMainFrame::TakeIdCardImage(bool front, const std::wstring& path) {
    (front ? idCardFront_ : idCardBack_) = path;
    ShowIdCardSlot(front);
}

void CMainFrame::ShowIdCardSlot(bool front) {
    const std::wstring& path = front ? idCardFront_ : idCardBack_;
    const bool chosen = !path.empty() && FileExists(path);
    SetVisible(front ? L"IdcardFrontOk" : L"IdcardBackOk", chosen);
    // A chosen side shows its picture in the slot, the check mark in a corner.
    if (auto* slot = m_pm.FindControl<CButtonUI>(front ? L"addIdcardFront" : L"addIdcardBack")) {
        const QSize room = slot->size() - QSize(24, 24);
        const QImage picture = chosen ? LoadImageLimited(path) : QImage();
        if (!picture.isNull() && room.isValid()) {
            const QPixmap thumbnail = QPixmap::fromImage(
                picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
            slot->setIcon(QIcon(thumbnail));
            slot->setIconSize(thumbnail.size());
            slot->SetText(L"");
        } else {
            slot->setIcon(QIcon());
            slot->SetText(LangText(front ? L"@picocrpage.xml/addIdcardFront"
                                         : L"@picocrpage.xml/addIdcardBack"));
        }
    }
    SetText(front ? L"titleIdcardFront" : L"titleIdcardBack",
            LangText(chosen ? L"AddPic2"
                            : (front ? L"LicenseTitleIdcardFront" : L"LicenseTitleIdcardBack")));
}

void CMainFrame::ClearIdCardSlots() {
    idCardFront_.clear();
    idCardBack_.clear();
    ShowIdCardSlot(true);
    ShowIdCardSlot(false);
}

// Only the pages that take pictures take drops.
bool CMainFrame::TakesDropsNow() const {
    const MainPage page = CurrentPage();
    return AcceptsDroppedFiles() &&
           (page == MainPage::Home || page == MainPage::AddImages || page == MainPage::Drop);
}

void CMainFrame::OnDropFiles(const std::vector<std::wstring>& paths) {
    if (!TakesDropsNow()) return;
    const MainPage page = CurrentPage();
    ForgetFiles();
    resultMap_.clear();
    if (mainMode_ == MainMode::IdCard) {
        ShakeWindow(GetWidget());
        return;
    }
    for (const std::wstring& path : paths)
        if (path.size() <= kMaxDroppedPath &&
            HasExtensionNoCase(path,
                               {L".png", L".jpg", L".jpeg", L".bmp", L".tif", L".tiff", L".pdf"}))
            AddImageFile(path);
    if (fileList_.empty()) {
        RefreshFileArea();
        if (!paths.empty()) ShakeWindow(GetWidget());
        return;
    }
    if (page == MainPage::Home) {
        mainMode_ = MainMode::Picture;
        SelectPage(MainPage::AddImages);
    }
    RefreshFileArea();
}

std::wstring FormatFileSize(const std::wstring& path) {
    std::ifstream file(NarrowPath(path), std::ios::binary | std::ios::ate);
    if (!file) return {};
    const std::streamoff size = file.tellg();
    if (size <= 0) return {};
    if (size < 1024) return FormatLangText(LangText(L"SizeBytes"), static_cast<int>(size));
    const float k = static_cast<float>(size) / 1024.0f;
    wchar_t text[64];
    if (k < 1024.0f)
        std::swprintf(text, 64, L"%.2f K", static_cast<double>(k));
    else
        std::swprintf(text, 64, L"%.2f M", static_cast<double>(k / 1024.0f));
    return text;
}

void CMainFrame::AddResultListItem(const std::wstring& path) {
    auto* list = m_pm.FindControl<CListUI>(L"listFiles");
    if (!list) return;
    QWidget* row = rowBuilder_.IsCached() ? rowBuilder_.Create(&m_pm)
                                          : rowBuilder_.Create(L"file_list_item.xml", &m_pm);
    if (!row) return;
    list->Add(row);
    if (QWidget* name = CPaintManagerUI::FindSubControlByName(row, L"fileName"))
        if (auto* label = qobject_cast<QLabel*>(name))
            label->setText(
                QString::fromStdWString(IsDocumentPage(path) ? PictureDisplayName(path) : path));
    if (QWidget* size = CPaintManagerUI::FindSubControlByName(row, L"fileSize"))
        if (auto* label = qobject_cast<QLabel*>(size))
            label->setText(QString::fromStdWString(FormatFileSize(path)));
    // The row texts are read once per interface language, not once per row.
    if (rowTextsLanguage_ != Globals().UiLanguage || !rowTextsRead_) {
        rowTexts_ = CSkinManager::GetSkinManager().LayoutTexts(L"file_list_item.xml");
        rowTextsLanguage_ = Globals().UiLanguage;
        rowTextsRead_ = true;
    }
    for (const LayoutText& text : rowTexts_)
        if (QWidget* control = CPaintManagerUI::FindSubControlByName(row, text.control))
            ApplyTextToControl(control, QString::fromStdWString(text.text), text.kind);
}

// While a batch runs the scanning picture stands in for the file icon: one
// illustration, not two stacked.
void CMainFrame::StartScanAnimation() {
    if (scanTimer_ != 0) return;
    SetVisible(L"addFileIcon", false);
    SetVisible(L"scanAni", true);
    animationFrame_ = 0;
    scanTimer_ = kScanTimerId;
    SetTimer(kScanTimerId, kScanTimerMilliseconds);
}

void CMainFrame::StopScanAnimation() {
    SetVisible(L"scanAni", false);
    SetVisible(L"addFileIcon", true);
    KillTimer(kScanTimerId);
    scanTimer_ = 0;
}
