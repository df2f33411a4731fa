#include "account/account_client.h"

#include <curl/curl.h>
#include <fmt/printf.h>
#include <fmt/xchar.h>
#include <json/json.h>

#include <charconv>
#include <memory>
#include <vector>

#include "net/curl_client.h"
#include "net/curl_error_text.h"
#include "net/system_http.h"
#include "platform/debug_trace.h"
#include "platform/md5_hex.h"
#include "platform/text.h"

namespace {

constexpr int kFallbackTimeoutMs = 20000;

class SystemAccountTransport : public AccountTransport {
public:
    std::string Fetch(const std::string& url, bool fallbacks) override {
        CCurlClient client;
        std::string answer = client.Get(url, "root", "kemo");
        secureConnectionFailed_ = answer.empty() && ClassifyTransfer(client.LastResult()) ==
                                                        TransferFailure::SecureConnection;
        if (!answer.empty() || !fallbacks || secureConnectionFailed_) return answer;
        const std::wstring wideUrl = Utf8ToWide(url);
        // The plain-socket stage speaks unencrypted HTTP: it would put the
        // password hash of an https request on the wire in the clear.
        if (url.starts_with("http://"))
            answer = WideToUtf8(GetStringFromUrl(wideUrl, kFallbackTimeoutMs));
        if (answer.empty()) answer = WideToUtf8(WinInetGetText(wideUrl, false, kFallbackTimeoutMs));
        return answer;
    }
    bool SecureConnectionFailed() const override { return secureConnectionFailed_; }

private:
    bool secureConnectionFailed_ = false;
};

// The name's UTF-8 bytes percent-encoded (letters, digits and "-._~" stay).
std::wstring EscapedUserName(const std::wstring& user) {
    const std::string utf8 = WideToUtf8(user);
    char* escaped = curl_easy_escape(nullptr, utf8.c_str(), static_cast<int>(utf8.size()));
    if (!escaped) return user;
    std::wstring result = Utf8ToWide(escaped);
    curl_free(escaped);
    return result;
}

std::wstring MemberText(const Json::Value& object, const char* name) {
    const Json::Value& value = object[name];
    if (value.isString()) return Utf8ToWide(value.asString());
    if (value.isIntegral() || value.isDouble()) return Utf8ToWide(value.asString());
    return {};
}

int MemberInt(const Json::Value& object, const char* name) {
    const Json::Value& value = object[name];
    if (value.isInt()) return value.asInt();
    if (value.isString()) {
        const std::string text = value.asString();
        int number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error == std::errc() && end == text.data() + text.size()) return number;
    }
    return -1;
}

}  // namespace

std::unique_ptr<AccountTransport> MakeSystemAccountTransport() {
    return std::make_unique<SystemAccountTransport>();
}

std::string AccountSignature(const std::wstring& signedText, std::string_view key) {
    return Md5Hex(WideToAnsi(signedText) + std::string(key));
}

std::wstring PasswordToken(const std::wstring& password) {
    return Utf8ToWide(Md5Hex(WideToAnsi(password)));
}

std::wstring AccountVersion(std::string_view dottedVersion) {
    int parts[3] = {0, 0, 0};
    const char* at = dottedVersion.data();
    const char* end = dottedVersion.data() + dottedVersion.size();
    for (int& part : parts) {
        const auto [next, error] = std::from_chars(at, end, part);
        if (error != std::errc()) break;
        at = next < end && *next == '.' ? next + 1 : end;
    }
    return fmt::sprintf(L"%d.%d%d", parts[0], parts[1], parts[2]);
}

AccountClient::AccountClient(AccountRequestContext context,
                             std::shared_ptr<AccountTransport> transport)
    : context_(std::move(context)),
      transport_(transport ? std::move(transport) : MakeSystemAccountTransport()) {}

std::string AccountClient::RequestUrl(std::string_view path, const std::wstring& query,
                                      const std::wstring& signedText) const {
    return context_.host + std::string(path) + "?" + WideToUtf8(query) +
           "&s=" + AccountSignature(signedText, context_.signingKey);
}

bool AccountClient::Send(std::string_view path, const std::wstring& query,
                         const std::wstring& signedText, bool fallbacks, Json::Value& answer) {
    errorKey_.clear();
    errorMessage_.clear();
    if (context_.host.empty()) {
        errorKey_ = L"ErrNetworkLost";
        return false;
    }
    const std::string text = transport_->Fetch(RequestUrl(path, query, signedText), fallbacks);
    // An error page of a proxy or web server is no answer of the account service.
    if (text.empty() || text.front() != '{') {
        errorKey_ = text.empty() && transport_->SecureConnectionFailed() ? L"SecureConnectionFailed"
                                                                         : L"ErrNetworkLost";
        return false;
    }
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &answer, &errors) ||
        !answer.isObject()) {
        DebugTrace(L"account answer does not parse\n");
        return false;
    }
    if (MemberInt(answer, "result") == 1) return true;
    errorKey_ = MemberText(answer, "errInfo");
    errorMessage_ = MemberText(answer, "errMsg");
    return false;
}

bool AccountClient::SendCaptcha(const std::wstring& address, bool forPasswordReset) {
    const std::wstring query = fmt::sprintf(
        L"by_mobile=0&email=%s&lc=%s&mobile=&product_id=1061&type=%d&username=%s&version=%s",
        address, context_.locale, forPasswordReset ? 0 : 3, address, context_.version);
    Json::Value answer;
    return Send("/v1.0/sendcaptcha.php", query, query, false, answer);
}

bool AccountClient::Register(const std::wstring& user, const std::wstring& password,
                             const std::wstring& code, SignInType type) {
    constexpr const wchar_t* kFormat =
        L"adid=%s&lc=%s&partner_id=%s&password=%s&product_id=1061&reg_type=%d&uid=%s&username=%s&"
        L"verify=%s&version=%s";
    const auto build = [&](const std::wstring& name) {
        return fmt::sprintf(kFormat, context_.adId, context_.locale, context_.partnerId,
                            PasswordToken(password), static_cast<int>(type), context_.machineCode,
                            name, code, context_.version);
    };
    Json::Value answer;
    if (Send("/v1.0/register.php", build(EscapedUserName(user)), build(user), true, answer))
        return true;
    if (errorKey_ == L"VerifyFailed")
        errorKey_ = L"VerifyCodeIsError";
    else if (errorMessage_.empty())
        errorKey_ = L"RegisterFail";
    return false;
}

bool AccountClient::SignIn(const std::wstring& user, const std::wstring& password,
                           bool passwordIsToken, SignInType type) {
    const std::wstring token = passwordIsToken ? password : PasswordToken(password);
    const auto build = [&](const std::wstring& name) {
        return fmt::sprintf(
            L"lc=%s&password=%s&product_id=1061&reg_type=%d&uid=%s&username=%s&version=%s",
            context_.locale, token, static_cast<int>(type), context_.machineCode, name,
            context_.version);
    };
    Json::Value answer;
    if (!Send("/v1.0/getuserinfo.php", build(EscapedUserName(user)), build(user), true, answer))
        return false;
    const Json::Value& data = answer["data"];
    nickName_ = data.isObject() ? MemberText(data, "nickname") : std::wstring();
    if (nickName_.empty()) nickName_ = user;
    return true;
}

bool AccountClient::ChangePassword(const std::wstring& user, const std::wstring& oldPassword,
                                   const std::wstring& newPassword) {
    const std::wstring query = fmt::sprintf(
        L"by_pass=1&email=&lc=%s&mobile=&newpass=%s&password=%s&product_id=1061&username=%s&"
        L"verify=&version=%s",
        context_.locale, PasswordToken(newPassword), PasswordToken(oldPassword), user,
        context_.version);
    Json::Value answer;
    if (Send("/v1.0/modify.php", query, query, true, answer)) return true;
    if (errorKey_ != L"SignErr" && errorKey_ != L"UserNotExist" && errorKey_ != L"OldPassIsError")
        errorKey_ = L"ResetPassErr";
    return false;
}

bool AccountClient::ResetPassword(const std::wstring& user, const std::wstring& code,
                                  const std::wstring& newPassword) {
    const std::wstring query = fmt::sprintf(
        L"by_pass=0&email=&lc=%s&mobile=&newpass=%s&password=&product_id=1061&username=%s&"
        L"verify=%s&version=%s",
        context_.locale, PasswordToken(newPassword), user, code, context_.version);
    Json::Value answer;
    if (Send("/v1.0/modify.php", query, query, true, answer)) return true;
    if (errorKey_ == L"VerifyFailed")
        errorKey_ = L"VerifyCodeIsError";
    else if (errorKey_ != L"SignErr" && errorKey_ != L"UserNotExist")
        errorKey_ = L"ResetPassErr";
    return false;
}

bool AccountClient::CheckSocialLogin(const std::wstring& sceneId, SocialAccount& account) {
    const std::wstring query =
        fmt::sprintf(L"lc=%s&product_id=1061&scene_id=%s&uid=%s&version=%s", context_.locale,
                     sceneId, context_.machineCode, context_.version);
    Json::Value answer;
    if (!Send("/v1.0/login_authorized/check.php", query, query, true, answer)) return false;
    if (MemberInt(answer, "login_result") != 1) return false;
    const Json::Value& data = answer["data"];
    if (!data.isObject()) return false;
    account.account = MemberText(data, "id");
    account.nickName = MemberText(data, "nickname");
    const int type = MemberInt(data, "reg_type");
    account.loginType = static_cast<SignInType>(type);
    // A completion without an account to sign in with is none.
    return !account.account.empty() && type >= 0;
}
