#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "account/signed_in_user.h"

namespace Json {
class Value;
}

// The client of the vendor's account server: signed query strings over
// HTTPS, JSON answers turned into success or an error key of the language
// file's "Message" section with the server's own message. Every operation
// blocks its calling thread; none retries.

// What every request says of this installation.
struct AccountRequestContext {
    std::string host;          // "https://account.example.com", a port may follow
    std::wstring locale;       // "lc": the interface language's locale, "en_GB"
    std::wstring version;      // "version": "%d.%d%d" of major, minor and build
    std::wstring machineCode;  // "uid"
    std::wstring adId;         // "adid", empty when there is none
    std::wstring partnerId;    // "partner_id"
    std::string signingKey;    // the language file's "SK"
};

// How an answer text is fetched; the real one goes through libcurl and the
// system fallbacks.
class AccountTransport {
public:
    virtual ~AccountTransport() = default;
    // fallbacks: the system helpers are tried when libcurl brought nothing.
    virtual std::string Fetch(const std::string& url, bool fallbacks) = 0;
    // After an empty Fetch: the server's certificate was refused (rather than
    // the server being out of reach).
    virtual bool SecureConnectionFailed() const { return false; }
};
std::unique_ptr<AccountTransport> MakeSystemAccountTransport();

// An account the social sign-in reported.
struct SocialAccount {
    std::wstring account;                      // "id"
    std::wstring nickName;                     // "nickname"
    SignInType loginType = SignInType::Email;  // "reg_type"
};

// The social accounts' fixed password (hashed like any other on the wire).
inline constexpr std::wstring_view kSocialPassword = L"KRNXPWQLZMB8263";

class AccountClient {
public:
    explicit AccountClient(AccountRequestContext context,
                           std::shared_ptr<AccountTransport> transport = nullptr);

    // type 3 for a registration, 0 for a password reset.
    bool SendCaptcha(const std::wstring& address, bool forPasswordReset);
    bool Register(const std::wstring& user, const std::wstring& password, const std::wstring& code,
                  SignInType type);
    // passwordIsToken: the password is already the stored hash.
    bool SignIn(const std::wstring& user, const std::wstring& password, bool passwordIsToken,
                SignInType type);
    bool ChangePassword(const std::wstring& user, const std::wstring& oldPassword,
                        const std::wstring& newPassword);
    bool ResetPassword(const std::wstring& user, const std::wstring& code,
                       const std::wstring& newPassword);
    // True once the social sign-in of the scene has been completed.
    bool CheckSocialLogin(const std::wstring& sceneId, SocialAccount& account);

    // Of the last failed operation: a "Message" key (may be empty) and the
    // server's own text (may be empty).
    const std::wstring& ErrorKey() const { return errorKey_; }
    const std::wstring& ErrorMessage() const { return errorMessage_; }
    // The display name the last successful SignIn reported (the account
    // name when the server sent none).
    const std::wstring& NickName() const { return nickName_; }

    // The URL of a request: host + path + "?" + query + "&s=" + signature of
    // signedText. query differs from signedText only in the user name's form.
    std::string RequestUrl(std::string_view path, const std::wstring& query,
                           const std::wstring& signedText) const;

private:
    // The answer's JSON object when "result" is 1; otherwise false with the
    // error key and message filled.
    bool Send(std::string_view path, const std::wstring& query, const std::wstring& signedText,
              bool fallbacks, Json::Value& answer);

    AccountRequestContext context_;
    std::shared_ptr<AccountTransport> transport_;
    std::wstring errorKey_;
    std::wstring errorMessage_;
    std::wstring nickName_;
};

// Md5Hex of the text in the ANSI code page followed by the key.
std::string AccountSignature(const std::wstring& signedText, std::string_view key);
// What goes on the wire and into the store instead of a password.
std::wstring PasswordToken(const std::wstring& password);
// The program version as the account server takes it: "1.2.3.4" gives "1.23".
std::wstring AccountVersion(std::string_view dottedVersion);
