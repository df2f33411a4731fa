// The main window's side of screen capture: the screenshot command, the
// global hot key, and the captured region becoming a recognition.

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/lang_format.h"
#include "app/language_file.h"
#include "app/settings.h"
#include "capture/desktop_session.h"
#include "capture/global_hot_key.h"
#include "capture/portal_hot_key.h"
#include "capture/screen_cutting.h"
#include "dialogs/message_box.h"
#include "dialogs/message_dlg.h"
#include "dialogs/skin_dialog.h"
#include "platform/profile.h"
#include "recognition/recognition_interfaces.h"
#include "toolkit/controls/button_ui.h"
#include "ui/hot_key_text.h"
#include "ui/main_frame.h"
#include "ui/main_modes.h"
#include "ui/window_messages.h"

namespace {
constexpr int kOwnerVanishMs = 100;
constexpr int kTakenKeyRetryMs = 5000;
constexpr std::wstring_view kShortcutHintShown = L"DesktopShortcutHintShown";
}  // namespace

void CMainFrame::SetUpCapture() {
    capture_ = std::make_unique<CScreenCutting>(SystemDesktop());
    hotKey_ = SystemHotKey();
    RegisterCaptureHotKey(GlobalSettings().HotKey);
    // The other program may let the key go: it is asked for again whenever
    // the user comes back to the program, and every few seconds meanwhile
    // (one round trip to the X server).
    const auto retry = [this] {
        if (CaptureKeyTaken()) RegisterCaptureHotKey(GlobalSettings().HotKey);
    };
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, GetWidget(),
                     [retry](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive) retry();
                     });
    auto* watch = new QTimer(GetWidget());
    QObject::connect(watch, &QTimer::timeout, GetWidget(), retry);
    watch->start(kTakenKeyRetryMs);
    // A desktop that binds the key through its portal needs no hint.
    if (CurrentDesktopSession() == DesktopSession::Wayland && !PortalGlobalShortcutsAvailable() &&
        GetPrivateProfileInt(L"General", kShortcutHintShown, 0, GlobalSettings().ConfigPath) == 0)
        QTimer::singleShot(0, GetWidget(), [this] { ShowDesktopShortcutHint(); });
}

namespace {

// The command a desktop shortcut runs: by name when the PATH finds this very
// program (an installed package), else by its full path.
QString CaptureCommand() {
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString found = QStandardPaths::findExecutable(QStringLiteral("taviocr"));
    const QString program = !found.isEmpty() && QFileInfo(found).canonicalFilePath() == self
                                ? QStringLiteral("taviocr")
                                : QLatin1Char('\'') + self + QLatin1Char('\'');
    return program + QStringLiteral(" --capture");
}

}  // namespace

void CMainFrame::ShowDesktopShortcutHint() {
    const QString command = CaptureCommand();
    CMessageDlg hint;
    hint.caption = LangMessage(L"Title");
    hint.message = FormatLangText(LangMessage(L"DesktopShortcutHint"), command.toStdWString());
    hint.style = kStyleInformation;
    hint.leftText = LangText(L"CopyCommand");
    hint.RunModal(OwnerIfOnScreen(GetHWND()));
    if (hint.result == kMessageLeft) QGuiApplication::clipboard()->setText(command);
    WritePrivateProfileString(L"General", kShortcutHintShown, L"1", GlobalSettings().ConfigPath);
}

bool CMainFrame::RegisterCaptureHotKey(HotKeyWord word) {
    const bool registered = hotKey_ && hotKey_->Register(static_cast<std::uint32_t>(word),
                                                         [this] { OnCaptureHotKey(); });
    ShowHotKeyInTray();
    if (CaptureKeyTaken() && !toldCaptureKeyTaken_) {
        toldCaptureKeyTaken_ = true;
        // After the start's window is up, not in the middle of building it.
        QTimer::singleShot(0, GetWidget(), [this] { NoticeTakenCaptureKey(); });
    }
    return registered;
}

bool CMainFrame::CaptureKeyTaken() const { return hotKey_ && hotKey_->Taken(); }

void CMainFrame::NoticeTakenCaptureKey() {
    const std::wstring key = HotKeyWordText(GlobalSettings().HotKey).toStdWString();
    if (TrayInUse()) {
        tray_->showMessage(
            QString::fromStdWString(LangText(L"ProductName")),
            QString::fromStdWString(FormatLangText(LangMessage(L"HotKeyTaken"), key)),
            tray_->icon(), 8000);
        return;
    }
    ShowMessageByKeyFormat(L"HotKeyTaken", key, OwnerIfOnScreen(GetHWND()), kStyleInformation);
}

void CMainFrame::OnCaptureHotKey() {
    // Busy: a recognition runs or a capture is open.
    if (scanTimer_ != 0 || (capture_ && capture_->IsCapturing())) {
        Beep();
        return;
    }
    // A window in the tray is not shown just to be hidden for the snapshot
    // (a flash and 100 ms lost): the capture shows it when it ends.
    if (QWidget* window = GetWidget(); window && window->isVisible()) {
        if (window->isMinimized()) window->showNormal();
        window->raise();
        window->activateWindow();
    }
    mainMode_ = MainMode::Screenshot;
    StartScreenCapture();
}

void CMainFrame::StartScreenCapture() {
    if (!capture_) return;
    const HWND self = GetHWND();
    // Only a window on screen needs a moment to vanish before the snapshot.
    const bool onScreen = OwnerIfOnScreen(self) != nullptr;
    // Every window of the program steps aside, its dialogs too (they would be
    // in the picture, or stay hidden behind their window afterwards), and
    // comes back with the dialogs above the window and the modal one active.
    auto steppedAside = std::make_shared<std::vector<QPointer<QWidget>>>();
    const auto stepAside = [this, steppedAside] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = window->windowType();
            if (window == GetWidget() || !window->isVisible() || type == Qt::Popup ||
                type == Qt::ToolTip)
                continue;
            steppedAside->push_back(window);
            window->hide();
        }
        ShowWindow(false);
    };
    const auto comeBack = [self, steppedAside] {
        if (WindowImplBase* window = FromHandle(self)) window->ShowWindow(true);
        for (const QPointer<QWidget>& dialog : *steppedAside)
            if (dialog) {
                dialog->show();
                dialog->raise();
            }
        steppedAside->clear();
        CSkinDialog::RaiseActiveModal();
    };
    const auto failed = [self](const std::wstring& key) {
        QTimer::singleShot(0, [self, key] {
            if (::IsWindow(self)) ShowMessageByKey(key, OwnerIfOnScreen(self), kStyleInformation);
        });
    };
    const bool started = capture_->StartCapture(
        {stepAside, comeBack, [self] { ::PostMessageW(self, WM_CAPTURE_DONE, 0, 0); }, failed},
        onScreen ? kOwnerVanishMs : 0);
    // A desktop session without X11 (Wayland) has nothing to capture from:
    // said once, never a black picture. Headless platforms have no one to tell.
    const QString platform = QGuiApplication::platformName();
    if (!started && !capture_->IsCapturing() && !toldCaptureNeedsX11_ &&
        platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
        toldCaptureNeedsX11_ = true;
        ShowMessageByKey(L"ScreenCaptureNeedsX11", GetHWND(), kStyleInformation);
    }
}

void CMainFrame::OnCaptureDone() {
    if (capture_ && !capture_->CurrentCaptureFile().empty())
        OnCaptureDone(capture_->CurrentCaptureFile());
}

void CMainFrame::UseDesktopForTest(Desktop desktop) {
    capture_ = std::make_unique<CScreenCutting>(std::move(desktop));
}

void CMainFrame::Beep() {
    if (beep_)
        beep_();
    else
        QApplication::beep();
}
