#include "ui/update_ui.h"

#include <QWidget>

#include "dialogs/message_box.h"
#include "dialogs/message_dlg.h"
#include "toolkit/window_handle.h"
#include "toolkit/window_impl_base.h"
#include "ui/open_url.h"

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

bool WindowUpdateDisplay::OpenFile(const std::wstring& path) {
    if (!owner_) return false;
    RunOnUiThread([&] { OpenWithDefaultApp(path); });
    return true;
}

void WindowUpdateDisplay::ShowBalloon(const std::wstring& title, const std::wstring& text) {
    if (!owner_) return;
    RunOnUiThread([&] {
        if (tray_ && tray_->isVisible())
            tray_->showMessage(QString::fromStdWString(title), QString::fromStdWString(text),
                               tray_->icon(), 1000);
    });
}

WindowUpdateDisplay& MainWindowUpdateDisplay() {
    static WindowUpdateDisplay display;
    return display;
}
