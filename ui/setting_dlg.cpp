#include "ui/setting_dlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QWidget>

#include "app/autorun.h"
#include "app/lang_format.h"
#include "app/language_file.h"
#include "app/setting_keys.h"
#include "dialogs/message_box.h"
#include "platform/file_io.h"
#include "recognition/recognition_interfaces.h"
#include "toolkit/controls/edit_ui.h"
#include "toolkit/controls/hotkey_ui.h"
#include "toolkit/controls/label_ui.h"
#include "toolkit/vk_keys.h"
#include "ui/hot_key_text.h"

namespace {

bool Ticked(const QAbstractButton* box) { return box && box->isChecked(); }

void Tick(QAbstractButton* box, bool ticked) {
    if (box) box->setChecked(ticked);
}

}  // namespace

void CSettingDlg::OnWindowInit() {
    const AppSettings& settings = GlobalSettings();
    Tick(Find<QAbstractButton>(L"optAutoRun"), IsAutoRunRegistered());
    Tick(Find<QAbstractButton>(L"optAutoUpdate"), settings.CanUpdate != 0);
    Tick(Find<QAbstractButton>(L"optCompressedSize"), settings.CompressedSizeLimit != 0);
    Tick(Find<QAbstractButton>(L"optUseHighQuality"), settings.UseHighQuality != 0);
    Tick(Find<QAbstractButton>(settings.HideWhenClose == 1 ? L"optHideWindow" : L"optExit"), true);
    if (auto* hotKey = Find<CHotKeyUI>(L"HotKey"))
        hotKey->SetHotKey(HotKeyVirtualKey(settings.HotKey),
                          HotKeyWordToControlFlags(settings.HotKey));
    ShowKeyTaken(keyTaken_);
    if (auto* path = Find<CEditUI>(L"SavePath")) path->SetText(settings.SavePath);

    if (auto* sizes = Find<QComboBox>(L"comboMaxSize")) {
        sizes->clear();
        for (const int size : kMaxSizes)
            sizes->addItem(QString::fromStdWString(FormatLangText(LangText(L"MaxSizeItem"), size)));
        int selected = -1;
        for (int i = 0; i < 3; ++i)
            if (kMaxSizes[i] == settings.MaxImageSize) selected = i;
        sizes->setCurrentIndex(selected);
        QObject::connect(sizes, &QComboBox::activated, sizes,
                         [this](int item) { OnMaxSizeSelected(item); });
    }
    if (auto* languages = Find<QComboBox>(L"comboLanguage")) {
        languages->clear();
        for (int i = 0; i < kOcrLanguages; ++i)
            languages->addItem(QString::fromStdWString(LangText(L"OCRLang" + std::to_wstring(i))));
        languages->setCurrentIndex(settings.OCRLanguage >= 0 && settings.OCRLanguage < kOcrLanguages
                                       ? settings.OCRLanguage
                                       : -1);
        QObject::connect(languages, &QComboBox::activated, languages,
                         [this](int item) { OnLanguageSelected(item); });
    }
    FitHeightToContent();
}

void CSettingDlg::OnClick(TNotifyUI& msg) {
    const std::wstring& name = msg.sName;
    // The click arrives after the box has changed: it shows the new state.
    const bool ticked = Ticked(qobject_cast<QAbstractButton*>(msg.pSender));
    if (name == L"optAutoRun") {
        RegisterAutoRun(ticked);
    } else if (name == L"optAutoUpdate") {
        ChangeSetting(kCanUpdate, ticked ? 1 : 0);
    } else if (name == L"optUseHighQuality") {
        ChangeSetting(kUseHighQuality, ticked ? 1 : 0);
    } else if (name == L"optHideWindow") {
        ChangeSetting(kHideWhenClose, 1);
    } else if (name == L"optExit") {
        ChangeSetting(kHideWhenClose, 0);
    } else if (name == L"ChangeDir") {
        // It opens at the folder in the field (as typed, else the one saved).
        const auto* field = Find<CEditUI>(L"SavePath");
        const std::wstring current = field ? field->GetText() : GlobalSettings().SavePath;
        const QString folder = QFileDialog::getExistingDirectory(
            GetWidget(), QString(),
            QString::fromStdWString(FolderExists(current) ? current : GlobalSettings().SavePath));
        if (!folder.isEmpty())
            if (auto* path = Find<CEditUI>(L"SavePath")) path->SetText(folder.toStdWString());
    } else if (name == L"btnClose") {
        TakeOverAndClose();
    }
}

void CSettingDlg::OnMaxSizeSelected(int item) {
    if (item >= 0 && item < 3) ChangeSetting(kMaxImageSize, kMaxSizes[item]);
}

void CSettingDlg::OnLanguageSelected(int item) {
    if (item >= 0 && item != GlobalSettings().OCRLanguage) ChangeSetting(kOcrLanguage, item);
}

void CSettingDlg::TakeOverAndClose() {
    const auto* pathField = Find<CEditUI>(L"SavePath");
    const std::wstring path = pathField ? pathField->GetText() : GlobalSettings().SavePath;
    if (!FileExists(path) && !FolderExists(path)) {
        ShowMessageByKey(L"SavePathNotExist", GetHWND(), kStyleInformation);
        return;
    }
    if (path != GlobalSettings().SavePath) ChangeSavePath(path);  // a case-only change counts
    if (const auto* hotKey = Find<CHotKeyUI>(L"HotKey")) {
        int key = 0, flags = 0;
        hotKey->GetHotKey(key, flags);
        const HotKeyWord word = key == 0 ? 0 : MakeHotKeyWord(key, flags);
        // The control shows neither Win nor NoRepeat: a key the user left as
        // it was keeps the flags it was stored with.
        const HotKeyWord stored = GlobalSettings().HotKey;
        const HotKeyWord shown =
            MakeHotKeyWord(HotKeyVirtualKey(stored), HotKeyWordToControlFlags(stored));
        // A key another program held is asked for again: it may be free now.
        if (word != shown || keyTaken_) {
            if (word != shown) ChangeSetting(kHotKey, word);
            const bool free = !registerHotKey_ || registerHotKey_(word);  // 0 registers none
            const bool newlyChosen = word != shown;
            keyTaken_ = !free;
            ShowKeyTaken(keyTaken_);
            // A key just chosen that cannot work: the user sees why before
            // the dialog goes (a second press closes it).
            if (keyTaken_ && newlyChosen) return;
        }
    }
    const int compressed = Ticked(Find<QAbstractButton>(L"optCompressedSize")) ? 1 : 0;
    if (compressed != GlobalSettings().CompressedSizeLimit)
        ChangeSetting(kCompressedSizeLimit, compressed);
    Close();
}

void CSettingDlg::ShowKeyTaken(bool taken) {
    auto* note = Find<CLabelUI>(L"hotKeyTaken");
    if (!note) return;
    note->SetText(LangText(L"HotKeyTakenHere"));
    note->setVisible(taken);
    FitHeightToContent();
}

void RunSettingDialog(HWND mainWindow, std::function<bool(HotKeyWord)> registerHotKey,
                      bool keyTaken) {
    CSettingDlg dialog(std::move(registerHotKey), keyTaken);
    dialog.RunModal(OwnerIfOnScreen(mainWindow));
}
