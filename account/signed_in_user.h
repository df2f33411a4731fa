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
