#include "ui/reg_dlg.h"

#include <fmt/printf.h>
#include <fmt/xchar.h>

#include <QAbstractButton>
#include <QUuid>

#include "account/email_check.h"
#include "account/signed_in_user.h"
#include "app/lang_format.h"
#include "app/language.h"
#include "app/language_file.h"
#include "app/language_table.h"
#include "app/process_globals.h"
#include "net/endpoints.h"
#include "platform/md5_hex.h"
#include "platform/text.h"
#include "toolkit/controls/tab_layout_ui.h"
#include "ui/open_url.h"

CNewRegDlg::CNewRegDlg() : CAccountDialog(L"dlg_reg"), client_(MakeAccountClient()) {}

// A poll still on its way is waited for: it holds a copy of the client only.
CNewRegDlg::~CNewRegDlg() = default;

void CNewRegDlg::OnWindowInit() {
    if (!openPage_) openPage_ = [this](const std::wstring& url) { OpenUrl(url, GetHWND()); };
    SetFieldText(L"userEmail", ReadLoginedUser());
    ShowPage(kPageSignIn);
    FitHeightToContent();
}

void CNewRegDlg::ShowPage(int page) {
    if (auto* tab = Find<CTabLayoutUI>(L"tabMain")) tab->SelectItem(page);
    SetControlVisible(L"btnBack", page != kPageSignIn);
    // Typing goes on where it is needed: past an address already filled in.
    const wchar_t* field = L"UserName";
    if (page == kPageSignIn)
        field = FieldText(L"userEmail").empty() ? L"userEmail" : L"userPassword";
    else if (page == kPageForgotten)
        field = FieldText(L"fgUserName").empty() ? L"fgUserName" : L"fgVerifyCode";
    FocusField(field);
}

void CNewRegDlg::OnClick(TNotifyUI& msg) {
    const std::wstring& name = msg.sName;
    if (name == L"btnClose") {
        Close();
    } else if (name == L"btnToCreate") {
        ShowPage(kPageRegister);
    } else if (name == L"btnBack") {
        ShowPage(kPageSignIn);
    } else if (name == L"btnForget") {
        const std::wstring address = FieldText(L"userEmail");
        SetFieldText(L"fgUserName", IsValidEmail(address) ? address : L"");
        for (const wchar_t* field : {L"fgVerifyCode", L"fgPassword", L"fgPasswordOK"})
            SetFieldText(field, L"");
        ShowPage(kPageForgotten);
    } else if (name == L"btnSendVeryfyCode") {
        SendCode(false);
    } else if (name == L"btnFgSendVeryfyCode") {
        SendCode(true);
    } else if (name == L"btnCreateUser") {
        RegisterAccount();
    } else if (name == L"btnModifyPass") {
        ResetPassword();
    } else if (name == L"btnEmailLogin") {
        SignInWithEmail();
    } else if (name == L"btnFacebook") {
        StartSocialSignIn(L"facebook");
    } else if (name == L"btnTwitter") {
        StartSocialSignIn(L"twitter");
    } else if (name == L"btnGoogle") {
        StartSocialSignIn(L"google");
    }
}

void CNewRegDlg::SendCode(bool forReset) {
    const std::wstring address = FieldText(forReset ? L"fgUserName" : L"UserName");
    if (!IsValidEmail(address)) {
        ShowMessage(L"InvalidEmail");
        return;
    }
    const wchar_t* button = forReset ? L"btnFgSendVeryfyCode" : L"btnSendVeryfyCode";
    if (!Request(button, [&] { return client_.SendCaptcha(address, forReset); })) {
        ShowAccountError(client_);
        return;
    }
    codeAddress_ = address;
    ShowMessage(L"VerifySendByEmail");
    SetFieldText(forReset ? L"fgVerifyCode" : L"verifyCode", L"");
    const UINT timer = forReset ? kResetCodeTimer : kRegisterCodeTimer;
    countdowns_[timer - 1].secondsLeft = kCodeSeconds;
    if (auto* control = Find<QAbstractButton>(button)) control->setEnabled(false);
    OnTimer(timer);  // the first second shows at once
    SetTimer(timer, 1000);
}

void CNewRegDlg::OnTimer(UINT id) {
    if (id == kSocialTimer) {
        PollSocialSignIn();
        return;
    }
    if (id != kRegisterCodeTimer && id != kResetCodeTimer) return;
    Countdown& countdown = countdowns_[id - 1];
    if (countdown.secondsLeft <= 0) {
        StopCountdown(id);
        return;
    }
    SetControlText(countdown.button,
                   FormatLangText(LangText(L"CpatchaValidTime"), countdown.secondsLeft));
    --countdown.secondsLeft;
}

void CNewRegDlg::StopCountdown(UINT timer) {
    KillTimer(timer);
    Countdown& countdown = countdowns_[timer - 1];
    countdown.secondsLeft = 0;
    if (auto* control = Find<QAbstractButton>(countdown.button)) control->setEnabled(true);
    SetControlText(countdown.button, LangText(L"SendCpatchaAgain"));
}

void CNewRegDlg::RegisterAccount() {
    const std::wstring address = FieldText(L"UserName");
    const std::wstring code = FieldText(L"verifyCode");
    const std::wstring password = FieldText(L"Password");
    if (!IsValidEmail(address)) return ShowMessage(L"InvalidEmail");
    if (code.empty()) return ShowMessage(L"VerifyCodeIsEmpty");
    if (!codeAddress_.empty() && codeAddress_ != address) return ShowMessage(L"EmailChange");
    if (!NewPasswordGiven(L"Password", L"PasswordOK")) return;
    if (!Request(L"btnCreateUser",
                 [&] { return client_.Register(address, password, code, SignInType::Email); })) {
        ShowAccountError(client_);
        return;
    }
    StopCountdown(kRegisterCodeTimer);
    ShowMessage(L"RegisterSuccess");
    SetFieldText(L"userEmail", address);
    for (const wchar_t* field : {L"Password", L"PasswordOK", L"userPassword"})
        SetFieldText(field, L"");
    ShowPage(kPageSignIn);
}

bool CNewRegDlg::NewPasswordGiven(const wchar_t* field, const wchar_t* confirmation) {
    const std::wstring password = FieldText(field);
    if (password.empty()) {
        ShowMessage(L"PassIsEmpty");
        return false;
    }
    if (password != FieldText(confirmation)) {
        SetFieldText(field, L"");
        SetFieldText(confirmation, L"");
        ShowMessage(L"PassDiff");
        return false;
    }
    return true;
}

void CNewRegDlg::ResetPassword() {
    const std::wstring address = FieldText(L"fgUserName");
    const std::wstring code = FieldText(L"fgVerifyCode");
    const std::wstring password = FieldText(L"fgPassword");
    if (!IsValidEmail(address)) return ShowMessage(L"InvalidEmail");
    // Without a code sent to this very address there is nothing to verify.
    if (address != codeAddress_) return ShowMessage(L"EmailChange");
    if (code.empty()) return ShowMessage(L"VerifyCodeIsEmpty");
    if (!NewPasswordGiven(L"fgPassword", L"fgPasswordOK")) return;
    if (!Request(L"btnModifyPass",
                 [&] { return client_.ResetPassword(address, code, password); })) {
        ShowAccountError(client_);
        return;
    }
    StopCountdown(kResetCodeTimer);
    ShowMessage(L"ResetPassSuccess");
    SetFieldText(L"userEmail", address);
    SetFieldText(L"userPassword", L"");
    ShowPage(kPageSignIn);
}

void CNewRegDlg::SignInWithEmail() {
    const std::wstring address = FieldText(L"userEmail");
    const std::wstring password = FieldText(L"userPassword");
    if (address.empty()) return ShowMessage(L"UserIsEmpty");
    if (password.empty()) return ShowMessage(L"PassIsEmpty");
    if (!Request(L"btnEmailLogin",
                 [&] { return client_.SignIn(address, password, false, SignInType::Email); })) {
        ShowAccountError(client_);
        return;
    }
    WriteLoginedUser(address);
    result_ = SignedIn{address, client_.NickName(), password, SignInType::Email};
    Close();
}

void CNewRegDlg::StartSocialSignIn(const wchar_t* provider) {
    if (sceneId_.empty())
        sceneId_ = Utf8ToWide(Md5Hex(QUuid::createUuid().toString().toStdString()));
    const std::wstring url =
        Utf8ToWide(Endpoints().socialPageHost) + L"/twitter/login.html?" +
        fmt::sprintf(L"scene_id=%s&login_type=%s&lc=%s", sceneId_, provider,
                     std::wstring(LanguageFor(Globals().UiLanguage).localeName));
    openPage_(url);
    socialStart_ = clock_();
    polling_ = SetTimer(kSocialTimer, kSocialPollMilliseconds);
}

// Each tick takes the answer of the poll before and asks again; the window
// never waits for the server here.
void CNewRegDlg::PollSocialSignIn() {
    if (socialPoll_.valid()) {
        if (socialPoll_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
        if (const std::optional<SocialAccount> account = socialPoll_.get()) {
            KillTimer(kSocialTimer);
            polling_ = false;
            FinishSocialSignIn(*account);
            return;
        }
    }
    if (clock_() - socialStart_ >= kSocialPollLimit) {
        KillTimer(kSocialTimer);
        polling_ = false;
        return;
    }
    socialPoll_ = std::async(std::launch::async, [client = client_, scene = sceneId_]() mutable {
        SocialAccount account;
        return client.CheckSocialLogin(scene, account) ? std::optional(account) : std::nullopt;
    });
}

void CNewRegDlg::FinishSocialSignIn(const SocialAccount& account) {
    const std::wstring password(kSocialPassword);
    if (!Request(L"", [&] {
            return client_.Register(account.account, password, L"", account.loginType);
        })) {
        ShowAccountError(client_);
        return;
    }
    // The password goes hashed, as it was registered and as the start-up
    // check sends it.
    if (!Request(L"", [&] {
            return client_.SignIn(account.account, password, false, account.loginType);
        })) {
        ShowAccountError(client_);
        return;
    }
    result_ =
        SignedIn{account.account, account.nickName.empty() ? client_.NickName() : account.nickName,
                 std::nullopt, account.loginType};
    Close();
}

std::optional<CNewRegDlg::SignedIn> RunSignInDialog(HWND owner) {
    CNewRegDlg dialog;
    dialog.RunModal(owner);
    return dialog.Result();
}
