#include "account/signed_in_user.h"

#include "account/account_client.h"
#include "platform/registry.h"

namespace {
constexpr std::wstring_view kProductKey = L"Software\\TaviOCR";
constexpr std::size_t kValueBytes = 520;
}  // namespace

SignedInUser& CurrentUser() {
    static SignedInUser user;
    return user;
}

void LoadSignedInUser(SignedInUser& user) {
    user = SignedInUser{};
    const auto read = [](std::wstring_view name) {
        return RegReadString(RegistryHive::CurrentUser, kProductKey, name, kValueBytes)
            .value_or(std::wstring());
    };
    std::wstring account = read(L"Account"), nick = read(L"NickName"), token = read(L"Token");
    user.loginType = static_cast<SignInType>(
        RegReadDword(RegistryHive::CurrentUser, kProductKey, L"LoginType").value_or(0));
    if (account.empty() || nick.empty()) return;
    user.account = std::move(account);
    user.nickName = std::move(nick);
    if (!token.empty()) user.token = std::move(token);
}

void SaveSignIn(SignedInUser& user, const std::wstring& account, const std::wstring& nickName,
                const std::wstring* password, SignInType loginType) {
    user.account = account;
    user.nickName = nickName;
    user.loginType = loginType;
    RegWriteString(RegistryHive::CurrentUser, kProductKey, L"Account", account);
    RegWriteString(RegistryHive::CurrentUser, kProductKey, L"NickName", nickName);
    RegWriteDword(RegistryHive::CurrentUser, kProductKey, L"LoginType",
                  static_cast<std::uint32_t>(loginType));
    if (password) {
        user.token = PasswordToken(*password);
        RegWriteString(RegistryHive::CurrentUser, kProductKey, L"Token", user.token);
    }
}

void SignOut(SignedInUser& user) {
    user = SignedInUser{};
    for (const wchar_t* name : {L"Account", L"NickName", L"LoginType", L"Token"})
        RegDeleteValue(RegistryHive::CurrentUser, kProductKey, name);
}

std::wstring ReadLoginedUser() {
    return RegReadString(RegistryHive::CurrentUser, kProductKey, L"LoginedUser", kValueBytes)
        .value_or(std::wstring());
}

void WriteLoginedUser(const std::wstring& account) {
    RegWriteString(RegistryHive::CurrentUser, kProductKey, L"LoginedUser", account);
}
