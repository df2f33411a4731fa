// The main window staying resident: the close request (hide or exit), the
// popup menus and their commands, and the notification-area icon.

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include "account/signed_in_user.h"
#include "app/lang_format.h"
#include "app/language.h"
#include "app/language_file.h"
#include "app/language_table.h"
#include "app/process_globals.h"
#include "app/settings.h"
#include "dialogs/skin_dialog.h"
#include "toolkit/menu_wnd.h"
#include "toolkit/paint_manager.h"
#include "ui/hot_key_text.h"
#include "ui/info_dialogs.h"
#include "ui/main_frame.h"
#include "ui/question_dialogs.h"
#include "ui/setting_dlg.h"
#include "ui/update_ui.h"

namespace {

// Menu texts come from the language file, keyed by item name.
void ApplyMenuTexts(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        const QString name = action->menu() ? action->menu()->objectName() : action->objectName();
        const std::wstring text = LangText(L"@menu/" + name.toStdWString());
        if (!text.empty()) action->setText(QString::fromStdWString(text));
        if (action->menu()) ApplyMenuTexts(action->menu());
    }
}

}  // namespace

void CMainFrame::OnCloseRequest() {
    const AppSettings& settings = GlobalSettings();
    if (settings.HideWhenClose == 1 && settings.RemindWhenClose == 1) {
        CMessageExitDlg dialog;
        dialog.RunModal(GetHWND());
        if (dialog.cancelled) return;
    }
    if (GlobalSettings().HideWhenClose != 1) {
        PostMessageW(WM_CLOSE);
        return;
    }
    // Without a tray the program could not be reached again: minimised instead.
    if (TrayInUse())
        ShowWindow(false);
    else
        ShowWindow(SW_SHOWMINIMIZED);
}

void CMainFrame::ShowPopupMenu(std::wstring_view file, std::optional<QPoint> point) {
    popupMenu_.reset();
    menuChecks_.clear();
    for (const LanguageInfo& language : LanguageTable())
        if (!language.menuItem.empty())
            menuChecks_[std::wstring(language.menuItem)] = language.code == Globals().UiLanguage;
    QPoint at = point ? *point : QCursor::pos();
    const bool mainMenu = file == L"main_menu.xml";
    if (!point && (mainMenu || file == L"user_menu.xml"))
        if (QWidget* anchor = m_pm.FindControl(mainMenu ? L"btnMenu" : L"userNickname"))
            at = anchor->mapToGlobal(QPoint(0, anchor->height()));
    popupMenu_ = CMenuWnd::CreateMenu(file, at, &m_pm, &menuChecks_);
    QMenu* menu = popupMenu_ ? popupMenu_->GetMenu() : nullptr;
    if (!menu) return;
    ApplyMenuTexts(menu);
    // Social accounts have no password of their own to change.
    if (!mainMenu)
        for (QAction* action : menu->actions())
            if (action->objectName() == QLatin1String("menuChangePass"))
                action->setEnabled(CurrentUser().IsSignedIn() &&
                                   CurrentUser().loginType == SignInType::Email);
}

void CMainFrame::OnMenuCommand(MenuCmd* command) {
    // The record is released whatever the command does, even if it ends the window.
    const std::wstring name = command->szName, data = command->szUserData;
    ReleaseMenuCommand(command);
    // A dialog already open comes to the front instead of a second one.
    if (name == L"menuAbout") {
        if (!CSkinDialog::RaiseOpen(L"dlg_about"))
            (new CAboutDlg)->RunModal(OwnerIfOnScreen(GetHWND()));
    } else if (name == L"menuSetting") {
        if (!CSkinDialog::RaiseOpen(L"dlg_setting")) {
            RunSettingDialog(
                GetHWND(),
                [this](HotKeyWord word) {
                    RegisterCaptureHotKey(word);
                    return !CaptureKeyTaken();
                },
                CaptureKeyTaken());
            ShowHotKeyInTray();
        }
    } else if (name == L"menuUpdate") {
        CheckForUpdates();
    } else if (name == L"menuExit") {
        PostMessageW(WM_CLOSE);
    } else if (name == L"menuShowMain") {
        RestoreFromTray();
    } else if (name == L"menuLogout" || name == L"menuUserCenter" || name == L"menuChangePass") {
        OnAccountCommand(name);
    } else if (QString::fromStdWString(data).compare(QLatin1String("menuLang"),
                                                     Qt::CaseInsensitive) == 0) {
        SelectLanguageByMenu(name);
    }
}

void CMainFrame::RestoreFromTray() {
    QWidget* window = GetWidget();
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
    CSkinDialog::RaiseActiveModal();  // a dialog it was showing comes back above it
}

void CMainFrame::ShowHotKeyInTray() {
    if (!tray_) return;
    // The key the capture answers to now, or what to do when there is none
    // or another program holds it.
    const QString key = HotKeyWordText(GlobalSettings().HotKey);
    const std::wstring_view tip = CaptureKeyTaken() ? L"TrayTipKeyTaken" : L"TrayTip";
    tray_->setToolTip(
        key.isEmpty() ? QString::fromStdWString(LangText(L"TrayTipNoKey"))
                      : QString::fromStdWString(FormatLangText(LangText(tip), key.toStdWString())));
}

bool CMainFrame::TrayInUse() const {
    return tray_ && tray_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void CMainFrame::SetUpTrayIcon() {
    // Made even when no tray runs yet: a panel that starts after the program
    // (a log-in start races it) takes the icon as soon as it appears.
    tray_ = std::make_unique<QSystemTrayIcon>();
    const QPixmap icon = CPaintManagerUI::LoadImage("icons/128.svg", 2.0);
    tray_->setIcon(QIcon(icon.isNull() ? CPaintManagerUI::LoadImage("icons/128.png", 2.0) : icon));
    ShowHotKeyInTray();
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, GetWidget(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Context)
                             ShowPopupMenu(L"trayicon_menu.xml", QCursor::pos());
                         else if (reason == QSystemTrayIcon::Trigger)
                             RestoreFromTray();
                     });
    tray_->show();
    MainWindowUpdateDisplay().SetTray(tray_.get());
}
