#pragma once

#include <cstdint>
#include <string>

// How an account signs in: with an e-mail address and password, or through a
// social service, which keeps the number the account service gives it
// ("reg_type"). Stored and sent as that number.
enum class SignInType : std::uint32_t { Email = 0 };

// The account remembered from the last sign-in.
struct SignedInUser {
    std::wstring account;
    std::wstring nickName;
    std::wstring token;
    SignInType loginType = SignInType::Email;
    bool IsSignedIn() const { return !account.empty(); }
};

SignedInUser& CurrentUser();

// Reads the user hive's "Account", "NickName", "Token" and "LoginType". The
// account and nick name count only together, the token only with them.
void LoadSignedInUser(SignedInUser& user);

// Remembers a sign-in in memory and in the user hive; the token is written
// only when a password is given, as its hash.
void SaveSignIn(SignedInUser& user, const std::wstring& account, const std::wstring& nickName,
                const std::wstring* password, SignInType loginType);
// Forgets the sign-in in memory and in the hive ("LoginedUser" stays).
void SignOut(SignedInUser& user);

// The account name last typed into the sign-in form.
std::wstring ReadLoginedUser();
void WriteLoginedUser(const std::wstring& account);
