#include "account/signed_in_user.h"

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
    user.loginType = RegReadDword(RegistryHive::CurrentUser, kProductKey, L"LoginType").value_or(0);
    if (account.empty() || nick.empty()) return;
    user.account = std::move(account);
    user.nickName = std::move(nick);
    if (!token.empty()) user.token = std::move(token);
}
