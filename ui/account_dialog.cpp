#include "ui/account_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QWidget>
#include <thread>

#include "app/language.h"
#include "app/language_file.h"
#include "app/language_table.h"
#include "app/process_globals.h"
#include "app/program_version.h"
#include "dialogs/message_box.h"
#include "net/endpoints.h"
#include "platform/cancellation.h"
#include "platform/text.h"
#include "toolkit/controls/edit_ui.h"
#include "update/usage_reporter.h"

AccountClient MakeAccountClient() {
    AccountRequestContext context;
    context.host = Endpoints().accountHost;
    context.locale = std::wstring(LanguageFor(Globals().UiLanguage).localeName);
    context.version = AccountVersion(WideToUtf8(ProgramVersion()));
    context.machineCode = Globals().MachineCode;
    const std::int64_t adId = AdvertisingId(false);
    if (adId != 0) context.adId = std::to_wstring(adId);
    context.partnerId = Globals().Oem.PartnerId;
    context.signingKey = LangTextAnsi(L"SK");
    return AccountClient(std::move(context));
}

bool CAccountDialog::Request(std::wstring_view pressedButton,
                             const std::function<bool()>& request) {
    QWidget* window = GetWidget();
    auto* button = Find<QAbstractButton>(pressedButton);
    const QString buttonText = button ? button->text() : QString();
    busy_ = true;
    cancelled_ = false;
    // Everything but the close button waits: closing gives the request up.
    QList<QWidget*> held;
    if (window)
        for (QWidget* child : window->findChildren<QWidget*>())
            if (child->isEnabled() && child->focusPolicy() != Qt::NoFocus &&
                child->property("syscommand").toString() != QLatin1String("close")) {
                child->setEnabled(false);
                held.append(child);
            }
    if (button) button->setText(buttonText + QStringLiteral(" …"));
    QApplication::setOverrideCursor(Qt::BusyCursor);

    bool ok = false;
    std::atomic<bool> answered{false};
    QEventLoop wait;
    waiting_ = &wait;
    std::thread worker([&] {
        const ScopedCancel cancel(&cancelled_);
        ok = request();
        answered = true;
        QMetaObject::invokeMethod(&wait, &QEventLoop::quit, Qt::QueuedConnection);
    });
    wait.exec();
    // The loop also ends when the program quits (Exit from the tray): the
    // request is given up then too, instead of waited for.
    if (!answered) cancelled_ = true;
    // A cancelled request ends within a second (its transfer watches the flag).
    worker.join();
    waiting_ = nullptr;

    QApplication::restoreOverrideCursor();
    if (button) button->setText(buttonText);
    for (QWidget* child : held) child->setEnabled(true);
    busy_ = false;
    if (cancelled_) {
        // Closed while it waited: nothing more to say, the dialog goes now.
        QMetaObject::invokeMethod(
            window, [this] { HandleWindowMessage(WM_CLOSE, 0, 0); }, Qt::QueuedConnection);
        return false;
    }
    return ok;
}

std::wstring AccountErrorKey(const AccountClient& client) {
    if (client.ErrorKey().empty() && client.ErrorMessage().empty()) return L"ErrNetworkLost";
    return client.ErrorKey();
}

void CAccountDialog::ShowAccountError(const AccountClient& client) {
    if (cancelled_) return;
    ShowMessageByKey(AccountErrorKey(client), GetHWND(), kStyleInformation, client.ErrorMessage());
}

void CAccountDialog::ShowMessage(std::wstring_view key) {
    ShowMessageByKey(key, GetHWND(), kStyleInformation);
}

std::wstring CAccountDialog::FieldText(std::wstring_view name) const {
    const auto* field = Find<CEditUI>(name);
    return field ? field->GetText() : std::wstring();
}

void CAccountDialog::SetFieldText(std::wstring_view name, std::wstring_view text) {
    if (auto* field = Find<CEditUI>(name)) field->SetText(text);
}

void CAccountDialog::FocusField(std::wstring_view name) {
    QWidget* field = Find<QWidget>(name);
    if (!field) return;
    QMetaObject::invokeMethod(
        field, [field] { field->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
}

LRESULT CAccountDialog::OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (!busy_) return CSkinDialog::OnClose(message, wParam, lParam, handled);
    // The request is given up; the dialog closes once its worker has ended.
    handled = true;
    cancelled_ = true;
    if (waiting_) waiting_->quit();
    return 0;
}
