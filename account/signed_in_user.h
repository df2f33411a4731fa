#pragma once

#include <cstdint>
#include <string>

// The account remembered from the last sign-in.
struct SignedInUser {
    std::wstring account;
    std::wstring nickName;
    std::wstring token;
    std::uint32_t loginType = 0;
    bool IsSignedIn() const { return !account.empty(); }
};

SignedInUser& CurrentUser();

// Reads the user hive's "Account", "NickName", "Token" and "LoginType". The
// account and nick name count only together, the token only with them.
void LoadSignedInUser(SignedInUser& user);

// Remembers a sign-in in memory and in the user hive; the token is written
// only when a password is given, as its hash.
void SaveSignIn(SignedInUser& user, const std::wstring& account, const std::wstring& nickName,
                const std::wstring* password, std::uint32_t loginType);
// Forgets the sign-in in memory and in the hive ("LoginedUser" stays).
void SignOut(SignedInUser& user);

// The account name last typed into the sign-in form.
std::wstring ReadLoginedUser();
void WriteLoginedUser(const std::wstring& account);
