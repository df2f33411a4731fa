#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <string>

#include "account/account_client.h"
#include "ui/account_dialog.h"

// Signing in, registering with an e-mailed code, resetting a forgotten
// password, and signing in through a social network in the browser.
class CNewRegDlg : public CAccountDialog {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    using PageOpener = std::function<void(const std::wstring& url)>;

    CNewRegDlg();
    ~CNewRegDlg() override;

    // The account signed in with, once the dialog closed on a sign-in.
    struct SignedIn {
        std::wstring account;
        std::wstring nickName;
        std::optional<std::wstring> password;  // e-mail accounts: what was typed
        SignInType loginType = SignInType::Email;
    };
    const std::optional<SignedIn>& Result() const { return result_; }

    void SetClock(Clock clock) { clock_ = std::move(clock); }
    void SetPageOpener(PageOpener opener) { openPage_ = std::move(opener); }
    // The social sign-in is being waited for.
    bool Polling() const { return polling_; }

    static constexpr int kPageSignIn = 0, kPageRegister = 1, kPageForgotten = 2;
    static constexpr UINT kRegisterCodeTimer = 1, kResetCodeTimer = 2, kSocialTimer = 3;
    static constexpr int kCodeSeconds = 60;
    static constexpr UINT kSocialPollMilliseconds = 2000;
    static constexpr std::chrono::seconds kSocialPollLimit{600};

protected:
    void OnWindowInit() override;
    void OnClick(TNotifyUI& msg) override;
    void OnTimer(UINT id) override;

private:
    struct Countdown {
        const wchar_t* button;
        int secondsLeft = 0;
    };
    void ShowPage(int page);
    void SendCode(bool forReset);
    void StopCountdown(UINT timer);
    // A new password and its confirmation: not empty and the same (both
    // emptied when they differ).
    bool NewPasswordGiven(const wchar_t* field, const wchar_t* confirmation);
    void RegisterAccount();
    void ResetPassword();
    void SignInWithEmail();
    void StartSocialSignIn(const wchar_t* provider);
    void PollSocialSignIn();
    void FinishSocialSignIn(const SocialAccount& account);

    AccountClient client_;
    std::wstring codeAddress_;  // where the last code went
    Countdown countdowns_[2] = {{L"btnSendVeryfyCode"}, {L"btnFgSendVeryfyCode"}};
    std::wstring sceneId_;
    std::chrono::steady_clock::time_point socialStart_;
    std::future<std::optional<SocialAccount>> socialPoll_;
    std::optional<SignedIn> result_;
    bool polling_ = false;
    Clock clock_ = [] { return std::chrono::steady_clock::now(); };
    PageOpener openPage_;
};

// Runs the sign-in dialog over the window; the account signed in with, if any.
std::optional<CNewRegDlg::SignedIn> RunSignInDialog(HWND owner);
