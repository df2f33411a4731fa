#pragma once

#include "ui/account_dialog.h"

// Changing the password of the signed-in e-mail account.
class CChangePassDlg : public CAccountDialog {
public:
    CChangePassDlg();

protected:
    void OnWindowInit() override;
    void OnClick(TNotifyUI& msg) override;

private:
    void ChangePassword();
    AccountClient client_;
};

// The signed-in account's name and display name, the name ready to copy.
class CUserCenterDlg : public CSkinDialog {
public:
    CUserCenterDlg() : CSkinDialog(L"dlg_usercenter") {}

protected:
    void OnWindowInit() override;
    void OnClick(TNotifyUI& msg) override;
};
