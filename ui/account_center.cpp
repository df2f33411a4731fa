#include "ui/account_center.h"

#include <QClipboard>
#include <QGuiApplication>

#include "account/signed_in_user.h"
#include "dialogs/message_box.h"

CChangePassDlg::CChangePassDlg()
    : CAccountDialog(L"dlg_changepass"), client_(MakeAccountClient()) {}

void CChangePassDlg::OnWindowInit() {
    SetControlText(L"account", CurrentUser().account);
    FitHeightToContent();
}

void CChangePassDlg::OnClick(TNotifyUI& msg) {
    if (msg.sName == L"btnClose")
        Close();
    else if (msg.sName == L"btnYes")
        ChangePassword();
}

void CChangePassDlg::ChangePassword() {
    const std::wstring oldPassword = FieldText(L"oldPassword");
    const std::wstring newPassword = FieldText(L"newPassword");
    if (newPassword != FieldText(L"newPasswordOK")) return ShowMessage(L"PassDiff");
    if (oldPassword == newPassword) return ShowMessage(L"OldNewPassSame");
    // An empty new password would lock the account behind the hash of nothing.
    if (newPassword.empty()) return ShowMessage(L"PassIsEmpty");
    const std::wstring account = CurrentUser().account;
    if (!Request(L"btnYes",
                 [&] { return client_.ChangePassword(account, oldPassword, newPassword); })) {
        ShowAccountError(client_);
        return;
    }
    SignedInUser& user = CurrentUser();
    SaveSignIn(user, user.account, user.nickName, &newPassword, user.loginType);
    ShowMessage(L"ResetPassSuccess");
    Close();
}

void CUserCenterDlg::OnWindowInit() {
    SetControlText(L"account", CurrentUser().account);
    SetControlText(L"nickname", CurrentUser().nickName);
    FitHeightToContent();
}

void CUserCenterDlg::OnClick(TNotifyUI& msg) {
    if (msg.sName == L"btnClose") {
        Close();
    } else if (msg.sName == L"copyAccount") {
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QString account = QString::fromStdWString(CurrentUser().account);
        if (!clipboard) return;
        clipboard->setText(account);
        if (clipboard->text() == account)
            ShowMessageByKey(L"CopyClipboard", GetHWND(), kStyleInformation);
    }
}
