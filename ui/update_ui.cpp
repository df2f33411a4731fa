#include "ui/update_ui.h"

#include <QApplication>
#include <QWidget>

#include "dialogs/message_box.h"
#include "dialogs/message_dlg.h"
#include "toolkit/window_handle.h"
#include "toolkit/window_impl_base.h"
#include "ui/open_url.h"

namespace {

// Long enough to read the title and the text.
constexpr int kBalloonMilliseconds = 6000;

}  // namespace

bool WindowUpdateDisplay::ShowMessage(std::wstring_view key, int style) {
    bool yes = false;
    // Decided on the window's thread, where its state may be read.
    const HWND owner = owner_;
    if (!owner) return false;
    RunOnUiThread([&] {
        if (!IsWindow(owner)) return;
        yes = ShowMessageByKey(key, OwnerIfOnScreen(owner), style) == kMessageYes;
    });
    return yes;
}

void WindowUpdateDisplay::ShowMessageWith(std::wstring_view key, std::wstring_view argument) {
    const HWND owner = owner_;
    if (!owner) return;
    RunOnUiThread([&] {
        if (IsWindow(owner))
            ShowMessageByKeyFormat(key, argument, OwnerIfOnScreen(owner), kStyleInformation);
    });
}

void WindowUpdateDisplay::ShowBusy(bool busy) {
    if (!owner_) return;
    RunOnUiThread([&] {
        if (busy == busy_) return;
        busy_ = busy;
        if (busy)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}

bool WindowUpdateDisplay::StartInstaller(const std::wstring& path) {
    if (!owner_) return false;
    return OpenWithDefaultAppAndWait(path);
}

void WindowUpdateDisplay::EndProgram() {
    const HWND owner = owner_;
    if (!owner) return;
    RunOnUiThread([&] {
        if (IsWindow(owner)) ::PostMessageW(owner, WM_CLOSE, 0, 0);
    });
}

void WindowUpdateDisplay::ShowBalloon(const std::wstring& title, const std::wstring& text) {
    if (!owner_) return;
    RunOnUiThread([&] {
        if (tray_ && tray_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable())
            tray_->showMessage(QString::fromStdWString(title), QString::fromStdWString(text),
                               tray_->icon(), kBalloonMilliseconds);
    });
}

WindowUpdateDisplay& MainWindowUpdateDisplay() {
    static WindowUpdateDisplay display;
    return display;
}
