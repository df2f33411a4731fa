#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "account/account_client.h"
#include "dialogs/skin_dialog.h"

class QEventLoop;

// The client as this installation speaks to the account server: the host of
// endpoints.ini, the interface locale, the program version, the machine code
// and the signing key of the language file.
AccountClient MakeAccountClient();

// The message key of a failed request; an answer that could not be read at
// all says as much as none.
std::wstring AccountErrorKey(const AccountClient& client);

// What the account dialogs share: requests run on a worker while the dialog
// waits for them, painted and showing on the pressed button that it waits,
// taking no other input but closing, which gives the request up; failures in
// the message box by key.
class CAccountDialog : public CSkinDialog {
public:
    using CSkinDialog::CSkinDialog;

protected:
    // Runs the request off the UI thread and returns its result once it ended.
    bool Request(std::wstring_view pressedButton, const std::function<bool()>& request);
    // The key's text; the server's message where the key has none.
    void ShowAccountError(const AccountClient& client);
    void ShowMessage(std::wstring_view key);
    std::wstring FieldText(std::wstring_view name) const;
    void SetFieldText(std::wstring_view name, std::wstring_view text);
    // Once the current event is done, so the window's own first focus is past.
    void FocusField(std::wstring_view name);
    // While a request waits, closing (the close button, Escape, the desktop)
    // cancels it and closes the dialog once its worker has ended.
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    bool busy_ = false;
    std::atomic<bool> cancelled_{false};
    QEventLoop* waiting_ = nullptr;
};
