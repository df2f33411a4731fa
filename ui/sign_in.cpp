// The main window's account area: the sign-in dialog, the account menu's
// commands and the check of a stored sign-in at start.

#include <QMetaObject>
#include <QWidget>
#include <thread>

#include "account/signed_in_user.h"
#include "dialogs/message_box.h"
#include "dialogs/skin_dialog.h"
#include "net/endpoints.h"
#include "ui/account_center.h"
#include "ui/main_frame.h"
#include "ui/reg_dlg.h"
#include "ui/window_message_display.h"
#include "ui/window_messages.h"

void CMainFrame::OnLoginClick() {
    if (CSkinDialog::RaiseOpen(L"dlg_reg")) return;
    const std::optional<CNewRegDlg::SignedIn> signedIn =
        RunSignInDialog(OwnerIfOnScreen(GetHWND()));
    if (!signedIn) return;
    const std::wstring* password = signedIn->password ? &*signedIn->password : nullptr;
    SaveSignIn(CurrentUser(), signedIn->account, signedIn->nickName, password, signedIn->loginType);
    ShowSignedInState(true);
}

void CMainFrame::OnAccountCommand(const std::wstring& name) {
    if (name == L"menuLogout") {
        SignOut(CurrentUser());
        ShowSignedInState(false);
    } else if (name == L"menuUserCenter" && CurrentUser().IsSignedIn() &&
               !CSkinDialog::RaiseOpen(L"dlg_usercenter")) {
        CUserCenterDlg dialog;
        dialog.RunModal(OwnerIfOnScreen(GetHWND()));
    } else if (name == L"menuChangePass" && CurrentUser().IsSignedIn() &&
               CurrentUser().loginType == SignInType::Email &&
               !CSkinDialog::RaiseOpen(L"dlg_changepass")) {
        CChangePassDlg dialog;
        dialog.RunModal(OwnerIfOnScreen(GetHWND()));
    }
}

// At start: a stored sign-in is checked with the server on a worker, the
// account area disabled meanwhile; without one the sign-in dialog offers
// itself, unless the account service is off or the window started hidden.
void CMainFrame::CheckSignInAtStart() {
    if (Endpoints().accountHost.empty()) return;  // the service is off: nothing to ask
    if (CurrentUser().IsSignedIn()) {
        RevalidateSignIn();
        return;
    }
    // Once the window is up: a window started hidden asks nobody.
    QMetaObject::invokeMethod(
        GetWidget(),
        [this] {
            if (GetWidget()->isVisible() && !CurrentUser().IsSignedIn())
                m_pm.SendNotify(m_pm.FindControl(L"btnLogin"), kNotifyClick);
        },
        Qt::QueuedConnection);
}

void CMainFrame::RevalidateSignIn() {
    SetEnabled(L"userNickname", false);
    SetEnabled(L"btnLogin", false);
    const SignedInUser stored = CurrentUser();
    const HWND window = GetHWND();
    std::thread([stored, window, client = MakeAccountClient()]() mutable {
        // Social accounts sign in with the fixed password, hashed like a typed one.
        const bool email = stored.loginType == SignInType::Email;
        const std::wstring password = email ? stored.token : std::wstring(kSocialPassword);
        bool ok = client.SignIn(stored.account, password, email, stored.loginType);
        // Unreachable is no refusal: an offline start keeps the sign-in for
        // the next check instead of throwing it away.
        // A refused certificate (a captive portal, a wrong clock) is no
        // refusal of the account either.
        if (!ok && (client.ErrorKey() == L"ErrNetworkLost" ||
                    client.ErrorKey() == L"SecureConnectionFailed"))
            ok = true;
        if (!ok)
            WindowMessageDisplay(window).ShowMessageByKey(AccountErrorKey(client), 0,
                                                          client.ErrorMessage());
        // The stored sign-in is the window's to forget, on its own thread,
        // where the account area reads it.
        ::PostMessageW(window, WM_LOGIN_STATE, ok ? 1 : 0, ok ? 0 : kForgetSignIn);
    }).detach();
}
