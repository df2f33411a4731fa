#include "ui/account_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QWidget>
#include <thread>

#include "account/machine_identity.h"
#include "app/language.h"
#include "app/language_file.h"
#include "app/language_table.h"
#include "app/process_globals.h"
#include "net/endpoints.h"
#include "taviocr_version.h"
#include "toolkit/controls/edit_ui.h"
#include "ui/message_box.h"
#include "update/usage_reporter.h"

AccountClient MakeAccountClient() {
    AccountRequestContext context;
    context.host = Endpoints().accountHost;
    context.locale = std::wstring(LanguageFor(Globals().UiLanguage).localeName);
    context.version = AccountVersion(TAVIOCR_VERSION);
    context.machineCode = ReadMachineUid().value_or(std::wstring());
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
    if (window) window->setEnabled(false);
    if (button) button->setText(buttonText + QStringLiteral(" …"));
    QApplication::setOverrideCursor(Qt::BusyCursor);

    bool ok = false;
    QEventLoop wait;
    std::thread worker([&] {
        ok = request();
        QMetaObject::invokeMethod(&wait, &QEventLoop::quit, Qt::QueuedConnection);
    });
    wait.exec();
    worker.join();

    QApplication::restoreOverrideCursor();
    if (button) button->setText(buttonText);
    if (window) window->setEnabled(true);
    busy_ = false;
    return ok;
}

std::wstring AccountErrorKey(const AccountClient& client) {
    if (client.ErrorKey().empty() && client.ErrorMessage().empty()) return L"ErrNetworkLost";
    return client.ErrorKey();
}

void CAccountDialog::ShowAccountError(const AccountClient& client) {
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

void CAccountDialog::OnEscapeKey() {
    if (!busy_) CSkinDialog::OnEscapeKey();
}
